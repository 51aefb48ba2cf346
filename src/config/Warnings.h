// Warnings: things the library carries on without but a person should see (a
// missing configuration or metadata file, a request element it does not
// read). Each goes to the trace log and, when the host asked for them, to the
// host's handler, so that a command-line host can show it on its terminal.
#pragma once

#include <string_view>

namespace gateway {

// Receives one warning as one line of UTF-8 text, valid during the call.
using WarningSink = void (*)(const char* text);

// Installs the host's handler; nullptr removes it.
void SetWarningSink(WarningSink sink) noexcept;

// Writes a trace record (Prop "Warning", Value the text) and passes the text
// to the host's handler. Never raises; a handler that raises is ignored.
void WriteWarning(std::string_view class_name, std::string_view code, std::string_view action,
                  std::string_view text) noexcept;

}  // namespace gateway
