// The alert logs: per-name logs below the client path (every SQL statement the
// data controller runs goes to one), and the generator alert log that receives
// error reports. Each write appends one line at the file's end at once (see
// LogAppender: a rotated or deleted log gets every later line in the file that
// has its name); a failure is reported through the result and never thrown.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace gateway {

// Appends "[yyyy/mm/dd hh:nn:ss:zzz] " + text + "\n" (locale separators) to
// BASE/Log/Alert_<name>_<stamp>.log, where BASE is the client path or else the
// host program's directory. The stamp is the current date by period: "M"
// yyyymm, "Y" yyyy, anything else (also "d": the letters are case-sensitive)
// yyyymmdd. A name that holds a "." gets no ".log" extension. False when the
// line could not be written, or when the name holds a "/" (it would lead the
// file out of the log directory).
bool WriteAlertLog(std::string_view name, std::string_view text, std::string_view period);
// One line per text, all with the stamp of one reading of the clock, appended
// in one write, so that the lines of one entry stay together.
bool WriteAlertLog(std::string_view name, std::initializer_list<std::string_view> texts,
                   std::string_view period);

// Appends "[" + short date + " " + long time + "] " + text + "\n" to
// BASE/Log/Alert_OrvexGenerator_yyyymmdd.log, BASE being GetAlertBasePath().
bool WriteGeneratorAlert(std::string_view text);

// The client path; else the temporary directory; "/tmp" when anything fails.
std::string GetAlertBasePath() noexcept;

}  // namespace gateway
