// gatewayhost: runs one business-object module the way a gateway does (see
// HelpText in HostOptions.cpp). Exit status 0 on success, 1 for a failure that
// reaches the host, 2 for a bad command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "gatewayhost/HostOptions.h"
#include "gatewayhost/HostRun.h"

namespace {

// Prints "gatewayhost: <message>" as one line: line breaks inside a message
// (a module's text may hold them) become spaces.
void PrintFailure(std::string message) {
  for (char& c : message)
    if (c == '\n' || c == '\r') c = ' ';
  std::fprintf(stderr, "gatewayhost: %s\n", message.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gateway::host;
  CommandLine command_line;
  try {
    command_line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    PrintFailure(error.what());
    std::fputs(UsageText(), stderr);
    std::fputs("Try 'gatewayhost --help' for more information.\n", stderr);
    return 2;
  }
  if (command_line.help) {
    std::fputs(HelpText(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }

  try {
    RunHost(command_line.options);
  } catch (const std::exception& error) {
    PrintFailure(error.what());
    return 1;
  } catch (...) {
    PrintFailure("the module raised a failure that is not an exception the host knows");
    return 1;
  }
  return 0;
}
