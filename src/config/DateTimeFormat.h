// Formats a date-time through the gateway's pattern language, the one used by
// the request's DateFormat and by every log stamp.
//
// Specifiers (letters in any case; a run of the same letter is one specifier):
//   yy, yyyy        two- or four-digit year (y and yyy as well)
//   m, mm           month, or minutes when the last letter specifier before was
//                   an hour ("hh:mm" gives minutes)
//   mmm, mmmm       short, long month name
//   d, dd           day; ddd, dddd short, long day name;
//   ddddd, dddddd   short, long date format of the settings
//   h, hh           hour; twelve-hour when an am/pm, a/p or ampm marker follows
//                   before the next h (outside quotes) or came earlier in the
//                   same pattern
//   n, nn           minutes;  s, ss seconds;  z milliseconds, zzz three digits
//   t, tt           short, long time format of the settings
//   c               short date, then a blank and the long time unless the time
//                   is exactly midnight
//   am/pm, a/p      "am"/"pm" or "a"/"p" in the letter case written in the pattern
//   ampm            the AM or PM text of the settings
//   / and :         the date and time separators of the settings
//   '...', "..."    copied as they stand; every other character is copied
// An empty pattern means "c".
#pragma once

#include <string>
#include <string_view>

#include "config/DateTime.h"
#include "config/FormatSettings.h"

namespace gateway {

// Throws gateway::Exception when `value` is not a valid date-time (a month,
// day or time part out of range), rather than writing a made-up text.
std::string FormatDateTime(std::string_view pattern, const DateTime& value,
                           const FormatSettings& settings = DefaultFormatSettings());

}  // namespace gateway
