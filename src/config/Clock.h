// The current local date and time as every log stamp and period stamp reads
// it, with a seam through which tests fix the time.
#pragma once

#include <functional>

#include "config/DateTime.h"

namespace gateway {

// The current local date-time (or the test clock's, while one is set).
DateTime LocalNow();

// Replaces the clock; an empty function goes back to the system clock.
void SetClockForTesting(std::function<DateTime()> clock);

// Fixes the clock at one value for its lifetime, then puts the previous clock back.
class ScopedClockForTesting {
 public:
  explicit ScopedClockForTesting(DateTime fixed);
  ~ScopedClockForTesting();
  ScopedClockForTesting(const ScopedClockForTesting&) = delete;
  ScopedClockForTesting& operator=(const ScopedClockForTesting&) = delete;

 private:
  std::function<DateTime()> previous_;
};

}  // namespace gateway
