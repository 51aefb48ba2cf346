#include "config/Warnings.h"

#include <atomic>
#include <string>

#include "config/TraceLog.h"

namespace gateway {

namespace {

std::atomic<WarningSink>& Sink() {
  static std::atomic<WarningSink> sink{nullptr};
  return sink;
}

}  // namespace

void SetWarningSink(WarningSink sink) noexcept { Sink().store(sink); }

void WriteWarning(std::string_view class_name, std::string_view code, std::string_view action,
                  std::string_view text) noexcept {
  WriteTrace(class_name, code, action, "Warning", text);
  const WarningSink sink = Sink().load();
  if (sink == nullptr) return;
  try {
    const std::string line(text);
    sink(line.c_str());
  } catch (...) {
    // A warning never fails the operation that warns.
  }
}

}  // namespace gateway
