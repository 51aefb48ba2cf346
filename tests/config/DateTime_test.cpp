#include "config/DateTime.h"

#include <gtest/gtest.h>

namespace gateway {
namespace {

TEST(DateTime, SerialFormCountsDaysFromTheZeroDate) {
  EXPECT_EQ(DateTime::FromSerial(0.0), DateTime{});
  EXPECT_EQ(DateTime::FromSerial(1.5), (DateTime{1899, 12, 31, 12, 0, 0, 0}));
  EXPECT_EQ(DateTime::FromSerial(-1.25), (DateTime{1899, 12, 29, 6, 0, 0, 0}));
  EXPECT_EQ((DateTime{1899, 12, 29, 6, 0, 0, 0}.ToSerial()), -1.25);
  const DateTime leap{2024, 2, 29, 23, 59, 59, 999};
  EXPECT_EQ(DateTime::FromSerial(leap.ToSerial()), leap);
  EXPECT_EQ(DateTime::FromMilliseconds(leap.ToMilliseconds()), leap);
  EXPECT_EQ((DateTime{2024, 1, 5}.ToSerial()), 45296.0);
}

TEST(DateTime, DayOfWeekAndValidity) {
  EXPECT_EQ((DateTime{2024, 1, 5}.DayOfWeek()), 6);  // a Friday
  EXPECT_EQ((DateTime{1899, 12, 30}.DayOfWeek()), 7);
  EXPECT_TRUE((DateTime{2024, 2, 29}.IsValid()));
  EXPECT_FALSE((DateTime{2023, 2, 29}.IsValid()));
  EXPECT_FALSE((DateTime{2023, 13, 1}.IsValid()));
  EXPECT_FALSE((DateTime{2023, 1, 1, 24}.IsValid()));
}

}  // namespace
}  // namespace gateway
