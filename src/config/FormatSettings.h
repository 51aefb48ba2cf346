// The locale conventions the date-time formatter reads: date and time formats,
// separators, month and day names and the twelve-hour markers. The process
// default follows a PRC Chinese locale; callers that need other conventions
// (tests, for instance) pass their own object.
#pragma once

#include <array>
#include <string>

namespace gateway {

struct FormatSettings {
  std::string ShortDateFormat = "yyyy/m/d";
  std::string LongDateFormat = "yyyy'年'm'月'd'日'";
  std::string ShortTimeFormat = "h:mm";
  std::string LongTimeFormat = "h:mm:ss";
  // Written for "/" and ":" in a pattern. Any text, not only one character.
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  // Index 0 is January.
  std::array<std::string, 12> ShortMonthNames = {"1月", "2月", "3月", "4月",  "5月",  "6月",
                                                 "7月", "8月", "9月", "10月", "11月", "12月"};
  std::array<std::string, 12> LongMonthNames = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                                "七月", "八月", "九月", "十月", "十一月", "十二月"};
  // Index 0 is Sunday.
  std::array<std::string, 7> ShortDayNames = {"周日", "周一", "周二", "周三",
                                              "周四", "周五", "周六"};
  std::array<std::string, 7> LongDayNames = {"星期日", "星期一", "星期二", "星期三",
                                             "星期四", "星期五", "星期六"};
  std::string TimeAMString = "上午";
  std::string TimePMString = "下午";
};

// The settings every formatter call uses unless it is given others.
const FormatSettings& DefaultFormatSettings();

}  // namespace gateway
