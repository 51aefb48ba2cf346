#include "config/DateTimeFormat.h"

#include <cstdlib>

#include "gateway/Exception.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// The pattern itself is level 1; the settings formats it names (ddddd, t, c...)
// are level 2, and a settings format may name one more (level 3). Anything
// deeper writes nothing, so a settings format that names itself still ends.
constexpr int kMaxLevels = 3;

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool IsLetterAscii(char c) { return c >= 'A' && c <= 'Z'; }  // after UpperAscii

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
  return text.size() - at >= prefix.size() && SameTextAscii(text.substr(at, prefix.size()), prefix);
}

// Length of the twelve-hour marker at `at`, or 0 when there is none.
size_t MarkerLength(std::string_view pattern, size_t at) {
  if (StartsWithNoCase(pattern, at, "am/pm")) return 5;
  if (StartsWithNoCase(pattern, at, "a/p")) return 3;
  if (StartsWithNoCase(pattern, at, "ampm")) return 4;
  return 0;
}

// True when a twelve-hour marker follows `from` before the next hour specifier.
// Quoted text is skipped, so a quoted "am/pm" does not count.
bool MarkerFollows(std::string_view pattern, size_t from) {
  for (size_t i = from; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\'' || c == '"') {
      const size_t close = pattern.find(c, i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (c == 'h' || c == 'H') {
      return false;
    } else if ((c == 'a' || c == 'A') && MarkerLength(pattern, i) != 0) {
      return true;
    }
  }
  return false;
}

class Formatter {
 public:
  Formatter(const DateTime& value, const FormatSettings& settings)
      : value_(value), settings_(settings) {}

  void Append(std::string_view pattern, int level);
  std::string Take() { return std::move(out_); }

 private:
  void AppendNumber(int number, size_t digits) {
    std::string text = std::to_string(std::abs(number));
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    if (number < 0) out_ += '-';
    out_ += text;
  }

  const DateTime& value_;
  const FormatSettings& settings_;
  std::string out_;
};

void Formatter::Append(std::string_view pattern, int level) {
  if (level > kMaxLevels) return;
  char last_token = ' ';
  bool twelve_hour = false;
  size_t i = 0;
  while (i < pattern.size()) {
    const char starter = pattern[i++];
    char token = UpperAscii(starter);
    if (IsLetterAscii(token)) {
      if (token == 'M' && last_token == 'H') token = 'N';
      last_token = token;
    }
    // Consumes the rest of a run of the starting letter (any case) and returns its length.
    auto run = [&]() -> size_t {
      size_t count = 1;
      while (i < pattern.size() && UpperAscii(pattern[i]) == UpperAscii(starter)) {
        ++i;
        ++count;
      }
      return count;
    };
    switch (token) {
      case 'Y':
        if (run() <= 2) {
          AppendNumber(((value_.Year % 100) + 100) % 100, 2);
        } else {
          AppendNumber(value_.Year, 4);
        }
        break;
      case 'M': {
        const size_t count = run();
        if (count <= 2) {
          AppendNumber(value_.Month, count);
        } else if (count == 3) {
          out_ += settings_.ShortMonthNames[value_.Month - 1];
        } else {
          out_ += settings_.LongMonthNames[value_.Month - 1];
        }
        break;
      }
      case 'D': {
        const size_t count = run();
        if (count <= 2) {
          AppendNumber(value_.Day, count);
        } else if (count == 3) {
          out_ += settings_.ShortDayNames[value_.DayOfWeek() - 1];
        } else if (count == 4) {
          out_ += settings_.LongDayNames[value_.DayOfWeek() - 1];
        } else if (count == 5) {
          Append(settings_.ShortDateFormat, level + 1);
        } else {
          Append(settings_.LongDateFormat, level + 1);
        }
        break;
      }
      case 'H': {
        const size_t count = run();
        twelve_hour = twelve_hour || MarkerFollows(pattern, i);
        int hour = value_.Hour;
        if (twelve_hour) {
          if (hour == 0) {
            hour = 12;
          } else if (hour > 12) {
            hour -= 12;
          }
        }
        AppendNumber(hour, count > 2 ? 2 : count);
        break;
      }
      case 'N': {
        const size_t count = run();
        AppendNumber(value_.Minute, count > 2 ? 2 : count);
        break;
      }
      case 'S': {
        const size_t count = run();
        AppendNumber(value_.Second, count > 2 ? 2 : count);
        break;
      }
      case 'Z': {
        const size_t count = run();
        AppendNumber(value_.Millisecond, count > 3 ? 3 : count);
        break;
      }
      case 'T':
        Append(run() == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, level + 1);
        break;
      case 'C':
        run();
        Append(settings_.ShortDateFormat, level + 1);
        if (value_.HasTime()) {
          out_ += ' ';
          Append(settings_.LongTimeFormat, level + 1);
        }
        break;
      case 'A': {
        const size_t at = i - 1;
        const size_t length = MarkerLength(pattern, at);
        const bool pm = value_.Hour >= 12;
        if (length == 5) {  // am/pm: the two letters as written
          out_ += pattern.substr(pm ? at + 3 : at, 2);
        } else if (length == 3) {  // a/p
          out_ += pattern.substr(pm ? at + 2 : at, 1);
        } else if (length == 4) {  // ampm
          out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
        } else {
          out_ += starter;
          break;
        }
        i = at + length;
        twelve_hour = true;
        break;
      }
      case '/':
        out_ += settings_.DateSeparator;
        break;
      case ':':
        out_ += settings_.TimeSeparator;
        break;
      case '\'':
      case '"': {
        // An unterminated quote copies the rest of the pattern.
        const size_t close = pattern.find(starter, i);
        const size_t end = close == std::string_view::npos ? pattern.size() : close;
        out_ += pattern.substr(i, end - i);
        i = close == std::string_view::npos ? end : close + 1;
        break;
      }
      default:
        out_ += starter;
        break;
    }
  }
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, const DateTime& value,
                           const FormatSettings& settings) {
  if (!value.IsValid()) {
    throw Exception("Invalid date-time value: " + std::to_string(value.Year) + "-" +
                    std::to_string(value.Month) + "-" + std::to_string(value.Day) + " " +
                    std::to_string(value.Hour) + ":" + std::to_string(value.Minute) + ":" +
                    std::to_string(value.Second) + "." + std::to_string(value.Millisecond));
  }
  Formatter formatter(value, settings);
  formatter.Append(pattern.empty() ? std::string_view("c") : pattern, 1);
  return formatter.Take();
}

}  // namespace gateway
