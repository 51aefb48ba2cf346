// Text forms of stored values: what reads as a date-time, a number or a
// fixed-point decimal, and how they are written back.
#include "data/ValueText.h"

#include <gtest/gtest.h>

namespace gateway {
namespace {

TEST(ValueText, DateTimesReadInTheFormsDatabasesWrite) {
  struct Case {
    const char* text;
    DateTime value;
  };
  const Case valid[] = {
      {"2024-01-05 09:30:15", {2024, 1, 5, 9, 30, 15, 0}},
      {"2024-01-05 09:30:15.123", {2024, 1, 5, 9, 30, 15, 123}},
      {"2024-01-05 09:30:15.1234567", {2024, 1, 5, 9, 30, 15, 123}},  // datetime2: cut
      {"2024-01-05T09:30", {2024, 1, 5, 9, 30, 0, 0}},
      {" 2024/1/5 ", {2024, 1, 5}},
      {"2024-02-29", {2024, 2, 29}},
      {"09:30:15", {1899, 12, 30, 9, 30, 15, 0}},  // a time alone lies on the zero date
      {"9:05", {1899, 12, 30, 9, 5, 0, 0}},
  };
  for (const Case& c : valid) {
    DateTime parsed;
    EXPECT_TRUE(ParseIsoDateTime(c.text, parsed)) << c.text;
    EXPECT_EQ(parsed, c.value) << c.text;
  }
  for (const char* text : {"", "garbage", "2023-02-29", "2024-13-01", "2024-01-05 25:00",
                           "2024-01-05x", "2024-01/05", "12345", "2024-01-05 09:30:15."}) {
    DateTime parsed;
    EXPECT_FALSE(ParseIsoDateTime(text, parsed)) << text;
  }
}

TEST(ValueText, DateTimesAreWrittenForTheirKind) {
  const DateTime value{2024, 1, 5, 9, 30, 15, 7};
  EXPECT_EQ(FormatIsoDateTime(value), "2024-01-05 09:30:15.007");
  EXPECT_EQ(FormatIsoDateTime(value, ftDate), "2024-01-05");
  EXPECT_EQ(FormatIsoDateTime(value, ftTime), "09:30:15.007");
  EXPECT_EQ(FormatIsoDateTime(DateTime{2024, 1, 5}), "2024-01-05 00:00:00");
}

TEST(ValueText, NumbersReadOnlyWhenTheWholeTextIsANumber) {
  int64_t integer = 0;
  EXPECT_TRUE(ParseInteger(" -42 ", integer));
  EXPECT_EQ(integer, -42);
  EXPECT_TRUE(ParseInteger("+7", integer));
  EXPECT_EQ(integer, 7);
  for (const char* text : {"", "12abc", "1.5", "99999999999999999999", "- 1"}) {
    EXPECT_FALSE(ParseInteger(text, integer)) << text;
  }
  double number = 0;
  EXPECT_TRUE(ParseFloat("1e3", number));
  EXPECT_EQ(number, 1000.0);
  EXPECT_FALSE(ParseFloat("1.5x", number));
  bool flag = false;
  EXPECT_TRUE(ParseBoolean("TRUE", flag) && flag);
  EXPECT_TRUE(ParseBoolean("0", flag) && !flag);
  EXPECT_FALSE(ParseBoolean("yes", flag));
  EXPECT_EQ(FormatFloat(0.1), "0.1");
  EXPECT_EQ(FormatFloat(-2.0), "-2");
}

TEST(ValueText, FixedPointKeepsFourDecimalsExactly) {
  struct Case {
    const char* text;
    int64_t scaled;
    const char* written;
  };
  const Case cases[] = {
      {"0.1", 1000, "0.1"},           {"-12.5", -125000, "-12.5"},
      {"3", 30000, "3"},              {"1.23456", 12346, "1.2346"},  // rounded at the fifth decimal
      {"-0.00005", -1, "-0.0001"},    {"1e2", 1000000, "100"},
      {"922337203685477.5807", INT64_MAX, "922337203685477.5807"},
  };
  for (const Case& c : cases) {
    int64_t scaled = 0;
    ASSERT_TRUE(ParseScaled(c.text, scaled)) << c.text;
    EXPECT_EQ(scaled, c.scaled) << c.text;
    EXPECT_EQ(FormatScaled(scaled), c.written) << c.text;
  }
  int64_t scaled = 0;
  EXPECT_FALSE(ParseScaled("922337203685478", scaled));  // too large
  EXPECT_FALSE(ParseScaled("1.2.3", scaled));
  EXPECT_FALSE(ParseScaled("abc", scaled));
  EXPECT_EQ(FormatScaled(INT64_MIN), "-922337203685477.5808");
}

}  // namespace
}  // namespace gateway
