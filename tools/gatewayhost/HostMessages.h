// The host's lines on standard error: "gatewayhost: <message>", always one
// line, whatever line breaks the message (a module's text) holds.
#pragma once

#include <string>

namespace gateway::host {

// Prints "gatewayhost: <message>\n" on standard error; line breaks inside the
// message become spaces.
void PrintMessage(std::string message);

// Prints a module's warning as "gatewayhost: warning: <text>"; the module
// calls it through SetWarningHandler.
void PrintModuleWarning(const char* text);

}  // namespace gateway::host
