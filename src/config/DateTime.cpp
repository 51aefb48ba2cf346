#include "config/DateTime.h"

#include <sys/time.h>

#include <cmath>
#include <ctime>

namespace gateway {

namespace {

constexpr int64_t kMillisecondsPerDay = 86'400'000;

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

const int64_t kZeroDateDays = DaysFromCivil(1899, 12, 30);

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

DateTime DateTime::FromMilliseconds(int64_t milliseconds) {
  DateTime result;
  const int64_t days = FloorDiv(milliseconds, kMillisecondsPerDay);
  int64_t rest = milliseconds - days * kMillisecondsPerDay;
  CivilFromDays(days + kZeroDateDays, result.Year, result.Month, result.Day);
  result.Hour = static_cast<int>(rest / 3'600'000);
  rest %= 3'600'000;
  result.Minute = static_cast<int>(rest / 60'000);
  rest %= 60'000;
  result.Second = static_cast<int>(rest / 1000);
  result.Millisecond = static_cast<int>(rest % 1000);
  return result;
}

int64_t DateTime::ToMilliseconds() const {
  const int64_t days = DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) -
                       kZeroDateDays;
  return days * kMillisecondsPerDay + ((Hour * 60LL + Minute) * 60 + Second) * 1000 + Millisecond;
}

// Before the zero date the serial form is not linear: the whole part is the day
// and the fraction, whatever its sign, is the time of day (-1.25 is 29 December
// 1899, 06:00). Both conversions keep to that.
DateTime DateTime::FromSerial(double days) {
  const double whole = std::trunc(days);
  const int64_t time = std::llround(std::fabs(days - whole) * kMillisecondsPerDay);
  return FromMilliseconds(static_cast<int64_t>(whole) * kMillisecondsPerDay + time);
}

double DateTime::ToSerial() const {
  const int64_t ms = ToMilliseconds();
  const int64_t day = FloorDiv(ms, kMillisecondsPerDay);
  const double time =
      static_cast<double>(ms - day * kMillisecondsPerDay) / static_cast<double>(kMillisecondsPerDay);
  return day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
}

DateTime DateTime::Now() {
  timeval now{};
  gettimeofday(&now, nullptr);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  DateTime result;
  result.Year = local.tm_year + 1900;
  result.Month = local.tm_mon + 1;
  result.Day = local.tm_mday;
  result.Hour = local.tm_hour;
  result.Minute = local.tm_min;
  result.Second = local.tm_sec;
  result.Millisecond = static_cast<int>(now.tv_usec / 1000);
  return result;
}

int DateTime::DayOfWeek() const {
  // 1970-01-01 was a Thursday (5 in the 1 = Sunday numbering).
  const int64_t days = DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day));
  return static_cast<int>(((days % 7) + 7 + 4) % 7) + 1;
}

bool DateTime::IsValid() const {
  if (Month < 1 || Month > 12 || Day < 1) return false;
  if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59 ||
      Millisecond < 0 || Millisecond > 999)
    return false;
  static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
  const int last = kDaysInMonth[Month - 1] + (Month == 2 && leap ? 1 : 0);
  return Day <= last;
}

}  // namespace gateway
