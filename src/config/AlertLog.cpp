#include "config/AlertLog.h"

#include "config/Clock.h"
#include "config/DateTimeFormat.h"
#include "config/GatewayPaths.h"
#include "config/LogAppender.h"
#include "config/Registry.h"

namespace gateway {

namespace {

// One reading of the clock serves the file name and the lines, so a line
// written at midnight lands in the file its own stamp names. The lines go
// out in one write: an entry's lines stay together in the file.
bool AppendAlertLines(const std::string& base, std::string_view file_name,
                      const std::string& stamp, std::initializer_list<std::string_view> texts) {
  std::string lines;
  for (const std::string_view text : texts) {
    lines += '[';
    lines += stamp;
    lines += "] ";
    lines += text;
    lines += '\n';
  }
  return AppendToLogFile(JoinPath(base, "Log"), file_name, lines);
}

std::string PeriodPattern(std::string_view period) {
  if (period == "M") return "yyyymm";
  if (period == "Y") return "yyyy";
  return "yyyymmdd";
}

}  // namespace

bool WriteAlertLog(std::string_view name, std::string_view text, std::string_view period) {
  return WriteAlertLog(name, std::initializer_list<std::string_view>{text}, period);
}

bool WriteAlertLog(std::string_view name, std::initializer_list<std::string_view> texts,
                   std::string_view period) {
  try {
    if (name.find('/') != std::string_view::npos) return false;
    std::string base = GetClientPath();
    if (base.empty()) base = HostExecutableDir();
    if (base.empty()) return false;
    const DateTime now = LocalNow();
    std::string file_name =
        "Alert_" + std::string(name) + "_" + FormatDateTime(PeriodPattern(period), now);
    if (name.find('.') == std::string_view::npos) file_name += ".log";
    return AppendAlertLines(base, file_name, FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", now),
                            texts);
  } catch (...) {
    return false;
  }
}

bool WriteGeneratorAlert(std::string_view text) {
  try {
    const DateTime now = LocalNow();
    const std::string file_name =
        "Alert_OrvexGenerator_" + FormatDateTime("yyyymmdd", now) + ".log";
    return AppendAlertLines(GetAlertBasePath(), file_name, FormatDateTime("ddddd tt", now), {text});
  } catch (...) {
    return false;
  }
}

std::string GetAlertBasePath() noexcept {
  try {
    std::string base = GetClientPath();
    if (base.empty()) base = TempDir();
    return base.empty() ? std::string("/tmp") : base;
  } catch (...) {
    return "/tmp";
  }
}

}  // namespace gateway
