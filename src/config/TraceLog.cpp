#include "config/TraceLog.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "config/Clock.h"
#include "config/DateTimeFormat.h"
#include "config/GatewayConfigU.h"
#include "config/GatewayPaths.h"

namespace gateway {

namespace fs = std::filesystem;

namespace {

std::function<bool()>& TraceSwitchProvider() {
  static std::function<bool()> provider;
  return provider;
}

void WriteTraceLine(const std::string& record) {
  const std::string file = GetTraceLogFile();
  if (file.empty()) return;
  ForceDirectories(fs::path(file).parent_path().string());
  // A read-only log would refuse every later entry; make it writable again.
  std::error_code error;
  if (FileExists(file)) {
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, error);
  }
  std::string line = "[" + FormatDateTime("hh:nn:ss.zzz", LocalNow()) + "]";
  line += record;
  line += "\r\n\n";
  AppendToFile(file, line);
}

}  // namespace

void SetTraceSwitchProvider(std::function<bool()> provider) {
  TraceSwitchProvider() = std::move(provider);
}

bool IsTraceEnabled() noexcept {
  try {
    if (const auto& provider = TraceSwitchProvider()) return provider();
    TGatewayConfig& config = GatewayConfig();
    config.LoadFromFile(GetGatewayConfigFile());
    return config.KeepLog;
  } catch (...) {
    return false;
  }
}

void ResetTraceLog() noexcept {
  try {
    if (!IsTraceEnabled()) return;
    const std::string file = GetTraceLogFile();
    if (file.empty() || !FileExists(file)) return;
    std::error_code error;
    fs::remove(file, error);
  } catch (...) {
  }
}

void WriteTrace(std::string_view class_name, std::string_view code, std::string_view action,
                std::string_view prop, std::string_view value) noexcept {
  try {
    if (!IsTraceEnabled()) return;
    std::string record;
    record.reserve(80 + class_name.size() + code.size() + action.size() + prop.size() +
                   value.size());
    record.append("\r\n[Class ] = ").append(class_name);
    record.append(" \r\n[Code  ] = ").append(code);
    record.append(" \r\n[Action] = ").append(action);
    record.append(" \r\n[Prop  ] = ").append(prop);
    record.append(" \r\n[Value ] = ").append(value).append(" ");
    WriteTraceLine(record);
  } catch (...) {
  }
}

}  // namespace gateway
