// The trace log of the library's own activity: LIBDIR/Log/<library>.Log, one
// time-stamped five-line record per entry, written only while tracing is on.
// Writing is best effort: no failure ever reaches the caller.
#pragma once

#include <functional>
#include <string_view>

namespace gateway {

// Installs where the trace switch comes from once the global parameters exist.
// An empty function goes back to reading KeepLog from the configuration file.
void SetTraceSwitchProvider(std::function<bool()> provider);

// The provider's answer; without one, loads the configuration file into
// GatewayConfig() and returns its KeepLog. False when either fails.
bool IsTraceEnabled() noexcept;

// Deletes the trace log when tracing is on, so the log holds the records since
// the library was loaded. Failures are ignored.
void ResetTraceLog() noexcept;

// Appends one record: "[HH:NN:SS.ZZZ]", then the five labelled lines
// "\r\n[Class ] = <ClassName> \r\n[Code  ] = <Code> \r\n[Action] = <Action> "
// "\r\n[Prop  ] = <Prop> \r\n[Value ] = <Value> ", then "\r\n" and "\n". The
// values are copied verbatim. Nothing is built or written while tracing is off.
void WriteTrace(std::string_view class_name, std::string_view code, std::string_view action,
                std::string_view prop, std::string_view value) noexcept;

}  // namespace gateway
