#include "config/Clock.h"

#include <utility>

namespace gateway {

namespace {

std::function<DateTime()>& TestClock() {
  static std::function<DateTime()> clock;
  return clock;
}

}  // namespace

DateTime LocalNow() {
  if (const auto& clock = TestClock()) return clock();
  DateTime now = DateTime::Now();
  // The system clock may show a leap second (second 60); a date-time value has
  // no room for it.
  if (now.Second > 59) {
    now.Second = 59;
    now.Millisecond = 999;
  }
  return now;
}

void SetClockForTesting(std::function<DateTime()> clock) { TestClock() = std::move(clock); }

ScopedClockForTesting::ScopedClockForTesting(DateTime fixed) : previous_(TestClock()) {
  TestClock() = [fixed] { return fixed; };
}

ScopedClockForTesting::~ScopedClockForTesting() { TestClock() = std::move(previous_); }

}  // namespace gateway
