// Text forms of the values the data layer stores: how numbers, decimals,
// Booleans and date-times are read from the text a database hands over and
// written back as text. One set of rules for every driver, the dataset's
// typed getters and setters, filter criteria and parameter binding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/DateTime.h"
#include "data/FieldTypes.h"

namespace gateway {

// "YYYY-MM-DD" for ftDate, "hh:mm:ss" for ftTime, "YYYY-MM-DD hh:mm:ss" otherwise;
// times get ".zzz" only when the milliseconds are not zero.
std::string FormatIsoDateTime(const DateTime& value, FieldType kind = ftDateTime);

// Reads "Y-M-D", "Y-M-D h:m[:s[.fff]]" (also with "T" between, or "/" in the date)
// and "h:m[:s[.fff]]" (a time alone lies on the zero date). Digits past the
// milliseconds are dropped. Blanks around the text are allowed. False when the
// text is not such a date-time or names a day that does not exist.
bool ParseIsoDateTime(std::string_view text, DateTime& value);

// Shortest text that reads back as the same double ("0.1", "1e+20").
std::string FormatFloat(double value);

// Whole-text parsers: blanks around the text are allowed, nothing else.
bool ParseInteger(std::string_view text, int64_t& value);
bool ParseFloat(std::string_view text, double& value);
// "0"/"1"/"true"/"false" in any letter case, or any integer (non-zero is true).
bool ParseBoolean(std::string_view text, bool& value);

// Fixed point with four decimals (currency and BCD values are held as value * 10000).
constexpr int64_t kScaledOne = 10000;
// Decimal text (exponent allowed) to value * 10000, rounded half away from zero at
// the fifth decimal. False when the text is no number or the value does not fit.
bool ParseScaled(std::string_view text, int64_t& scaled);
bool ScaledFromDouble(double value, int64_t& scaled);
// "12.5", "-0.0001", "3": no trailing zeros, no decimal point for whole values.
std::string FormatScaled(int64_t scaled);

// True when the text is a decimal number (sign, digits, point, exponent).
bool IsDecimalText(std::string_view text);

}  // namespace gateway
