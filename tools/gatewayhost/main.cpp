// gatewayhost: runs one business-object module the way a gateway does (see
// HelpText in HostOptions.cpp for the options and the exit statuses).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "gateway/Version.h"
#include "gatewayhost/HostMessages.h"
#include "gatewayhost/HostModule.h"
#include "gatewayhost/HostOptions.h"
#include "gatewayhost/HostRun.h"

namespace {

// "gatewayhost 0.1.0", then the module's version when a library is given.
void PrintVersions(const std::string& library) {
  std::printf("gatewayhost %s\n", GATEWAY_VERSION);
  if (library.empty()) return;
  const gateway::host::Module module(library);
  const std::optional<std::string> version = module.Version();
  std::printf("module %s %s\n", library.c_str(),
              version ? version->c_str() : "(version unknown: it exports no GetModuleVersion)");
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gateway::host;
  CommandLine command_line;
  try {
    command_line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    PrintMessage(error.what());
    std::fputs(UsageText(), stderr);
    std::fputs("Try 'gatewayhost --help' for more information.\n", stderr);
    return kExitUsage;
  }
  if (command_line.help) {
    std::fputs(HelpText(), stdout);
    return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
  }

  try {
    if (command_line.version) {
      PrintVersions(command_line.options.library);
      return std::fflush(stdout) == 0 ? kExitSuccess : kExitFailure;
    }
    return RunHost(command_line.options) ? kExitSuccess : kExitResponseFailed;
  } catch (const std::exception& error) {
    PrintMessage(error.what());
    return kExitFailure;
  } catch (...) {
    PrintMessage("the module raised a failure that is not an exception the host knows");
    return kExitFailure;
  }
}
