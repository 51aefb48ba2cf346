// A calendar date and time of day to the millisecond, without time zone: the
// value kind of date-time fields, request date formats and log stamps. Its
// serial form counts days from the zero date, 30 December 1899 (the value a
// null date-time shows as), with the time of day as the fraction.
#pragma once

#include <compare>
#include <cstdint>

namespace gateway {

struct DateTime {
  int Year = 1899;
  int Month = 12;  // 1..12
  int Day = 30;    // 1..31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;

  // Milliseconds since the zero date; negative before it.
  static DateTime FromMilliseconds(int64_t milliseconds);
  int64_t ToMilliseconds() const;

  // Days since the zero date, time of day as the fraction (rounded to the millisecond).
  static DateTime FromSerial(double days);
  double ToSerial() const;

  // The current local date and time.
  static DateTime Now();

  // 1 = Sunday ... 7 = Saturday.
  int DayOfWeek() const;
  bool HasTime() const { return Hour != 0 || Minute != 0 || Second != 0 || Millisecond != 0; }
  // True when every part lies in its range and the day exists in its month.
  bool IsValid() const;

  friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

}  // namespace gateway
