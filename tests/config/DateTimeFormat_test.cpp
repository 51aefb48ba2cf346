#include "config/DateTimeFormat.h"

#include <gtest/gtest.h>

#include "gateway/Exception.h"

namespace gateway {
namespace {

// Settings unlike the default ones, so every part a pattern takes from them shows.
FormatSettings TestSettings() {
  FormatSettings s;
  s.ShortDateFormat = "d.m.yy";
  s.LongDateFormat = "dddd d mmmm yyyy";
  s.ShortTimeFormat = "hh:nn";
  s.LongTimeFormat = "hh:nn:ss";
  s.DateSeparator = "-";
  s.TimeSeparator = ".";
  s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  s.TimeAMString = "AM-text";
  s.TimePMString = "PM-text";
  return s;
}

const DateTime kAfternoon{2024, 1, 5, 15, 7, 9, 45};  // a Friday
const DateTime kMidnight{2024, 1, 5};
const DateTime kHalfPastMidnight{2024, 1, 5, 0, 30, 0, 0};

struct Case {
  const char* pattern;
  DateTime value;
  const char* expected;
};

TEST(FormatDateTime, PatternLanguage) {
  const FormatSettings settings = TestSettings();
  const Case cases[] = {
      // Dates and separators.
      {"yyyy/mm/dd", kAfternoon, "2024-01-05"},
      {"yy y yyy", kAfternoon, "24 24 2024"},
      {"m/d", kAfternoon, "1-5"},
      {"mmm mmmm ddd dddd", kAfternoon, "Jan January Fri Friday"},
      {"ddddd", kAfternoon, "5.1.24"},
      {"dddddd", kAfternoon, "Friday 5 January 2024"},
      // Times; m means minutes only directly after an hour specifier.
      {"h:n:s", kAfternoon, "15.7.9"},
      {"hh:mm", kAfternoon, "15.07"},
      {"hh'h'mm", kAfternoon, "15h07"},
      {"hh:nn:ss mm", kAfternoon, "15.07.09 01"},
      {"hhnnmm", kAfternoon, "150701"},
      {"mm hh", kAfternoon, "01 15"},
      {"z zzz ss.zzz", kAfternoon, "45 045 09.045"},
      {"t|tt", kAfternoon, "15.07|15.07.09"},
      // c leaves the time out only at exactly midnight; an empty pattern is c.
      {"c", kAfternoon, "5.1.24 15.07.09"},
      {"", kAfternoon, "5.1.24 15.07.09"},
      {"c", kMidnight, "5.1.24"},
      {"", kMidnight, "5.1.24"},
      {"c", DateTime{2024, 1, 5, 0, 0, 0, 1}, "5.1.24 00.00.00"},
      // Letters in any case, runs of mixed case.
      {"YYYY-MM-DD HH:NN:SS", kAfternoon, "2024-01-05 15.07.09"},
      {"Hh:Mm", kAfternoon, "15.07"},
      // Twelve-hour markers.
      {"h am/pm", kAfternoon, "3 pm"},
      {"h AM/PM", kAfternoon, "3 PM"},
      {"h Am/pM", kAfternoon, "3 pM"},
      {"h a/p", kAfternoon, "3 p"},
      {"h A/P", kMidnight, "12 A"},
      {"hh:nn am/pm", kHalfPastMidnight, "12.30 am"},
      {"h ampm", kAfternoon, "3 PM-text"},
      {"AMPM h", kAfternoon, "PM-text 3"},
      {"h h am/pm", kAfternoon, "15 3 pm"},
      {"hh 'am/pm'", kAfternoon, "15 am/pm"},
      {"h \"x\" am/pm", kAfternoon, "3 x pm"},
      {"a b x", kAfternoon, "a b x"},
      // Quotes and other characters.
      {"'yyyy' \"mm\"", kAfternoon, "yyyy mm"},
      {"'it''s'", kAfternoon, "its"},
      {"yyyy 'unterminated", kAfternoon, "2024 unterminated"},
      {"年yyyy#", kAfternoon, "年2024#"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.pattern, c.value, settings), c.expected)
        << "pattern \"" << c.pattern << "\"";
  }
}

TEST(FormatDateTime, DefaultSettingsFollowAChineseLocale) {
  const Case cases[] = {
      {"c", kAfternoon, "2024/1/5 15:07:09"},
      {"dddddd", kAfternoon, "2024年1月5日"},
      {"mmm mmmm ddd dddd", kAfternoon, "1月 一月 周五 星期五"},
      {"t ampm", kAfternoon, "15:07 下午"},
      {"ampm", kMidnight, "上午"},
      {"yyyy/mm/dd hh:nn:ss:zzz", kAfternoon, "2024/01/05 15:07:09:045"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDateTime(c.pattern, c.value), c.expected) << "pattern \"" << c.pattern << "\"";
  }
}

TEST(FormatDateTime, NestedFormatsStopAtAFixedDepth) {
  FormatSettings settings = TestSettings();
  // A settings format may name another one.
  settings.LongDateFormat = "dddd, ddddd";
  EXPECT_EQ(FormatDateTime("dddddd", kAfternoon, settings), "Friday, 5.1.24");

  // A format that names itself ends instead of recursing without bound.
  settings.ShortDateFormat = "ddddd";
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, settings), "");
  settings.ShortDateFormat = "<ddddd>";
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, settings), "<<>>");
  settings.ShortDateFormat = "c";
  settings.LongTimeFormat = "tt";
  EXPECT_EQ(FormatDateTime("", kAfternoon, settings), "   ");
}

TEST(FormatDateTime, InvalidValueIsAnError) {
  EXPECT_THROW(FormatDateTime("yyyy", DateTime{2023, 2, 29}), Exception);
  EXPECT_THROW(FormatDateTime("mmmm", DateTime{2023, 13, 1}), Exception);
}

}  // namespace
}  // namespace gateway
