#include "gatewayhost/HostMessages.h"

#include <cstdio>

namespace gateway::host {

void PrintMessage(std::string message) {
  for (char& c : message)
    if (c == '\n' || c == '\r') c = ' ';
  std::fprintf(stderr, "gatewayhost: %s\n", message.c_str());
}

void PrintModuleWarning(const char* text) {
  // Called from inside the module: nothing may escape back into it.
  try {
    PrintMessage(std::string("warning: ") + (text != nullptr ? text : ""));
  } catch (...) {
  }
}

}  // namespace gateway::host
