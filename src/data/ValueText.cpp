#include "data/ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/TextCase.h"

namespace gateway {

namespace {

std::string_view TrimView(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1..max_digits digits at text[pos]; advances pos.
bool ReadNumber(std::string_view text, size_t& pos, int max_digits, int& value) {
  int digits = 0;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos]) && digits < max_digits) {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits > 0;
}

bool ReadTime(std::string_view text, size_t& pos, DateTime& value) {
  if (!ReadNumber(text, pos, 2, value.Hour)) return false;
  if (pos >= text.size() || text[pos] != ':') return false;
  ++pos;
  if (!ReadNumber(text, pos, 2, value.Minute)) return false;
  if (pos < text.size() && text[pos] == ':') {
    ++pos;
    if (!ReadNumber(text, pos, 2, value.Second)) return false;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
      ++pos;
      int scale = 100;
      int digits = 0;
      value.Millisecond = 0;
      while (pos < text.size() && IsDigit(text[pos])) {
        value.Millisecond += (text[pos] - '0') * scale;
        scale /= 10;
        ++pos;
        ++digits;
      }
      if (digits == 0) return false;
    }
  }
  return true;
}

}  // namespace

std::string FormatIsoDateTime(const DateTime& value, FieldType kind) {
  char buffer[40];
  int length = 0;
  if (kind == ftDate) {
    length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", value.Year, value.Month,
                           value.Day);
  } else if (kind == ftTime) {
    length = std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", value.Hour, value.Minute,
                           value.Second);
  } else {
    length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", value.Year,
                           value.Month, value.Day, value.Hour, value.Minute, value.Second);
  }
  if (kind != ftDate && value.Millisecond != 0 && length > 0) {
    length += std::snprintf(buffer + length, sizeof buffer - static_cast<size_t>(length), ".%03d",
                            value.Millisecond);
  }
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

bool ParseIsoDateTime(std::string_view text, DateTime& value) {
  text = TrimView(text);
  DateTime result;
  size_t pos = 0;
  // A time alone: "h:m..." has its first separator within three characters.
  const size_t colon = text.find(':');
  const size_t dash = text.find_first_of("-/");
  if (colon != std::string_view::npos && (dash == std::string_view::npos || colon < dash)) {
    if (!ReadTime(text, pos, result) || pos != text.size()) return false;
  } else {
    if (!ReadNumber(text, pos, 4, result.Year)) return false;
    if (pos >= text.size() || (text[pos] != '-' && text[pos] != '/')) return false;
    const char separator = text[pos++];
    if (!ReadNumber(text, pos, 2, result.Month)) return false;
    if (pos >= text.size() || text[pos] != separator) return false;
    ++pos;
    if (!ReadNumber(text, pos, 2, result.Day)) return false;
    if (pos < text.size()) {
      if (text[pos] != ' ' && text[pos] != 'T') return false;
      while (pos < text.size() && (text[pos] == ' ' || text[pos] == 'T')) ++pos;
      if (!ReadTime(text, pos, result) || pos != text.size()) return false;
    }
  }
  if (!result.IsValid()) return false;
  value = result;
  return true;
}

std::string FormatFloat(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

bool ParseInteger(std::string_view text, int64_t& value) {
  text = TrimView(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  int64_t result = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), result);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) return false;
  value = result;
  return true;
}

bool ParseFloat(std::string_view text, double& value) {
  text = TrimView(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  double result = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), result);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) return false;
  value = result;
  return true;
}

bool ParseBoolean(std::string_view text, bool& value) {
  text = TrimView(text);
  if (SameTextAscii(text, "true")) {
    value = true;
    return true;
  }
  if (SameTextAscii(text, "false")) {
    value = false;
    return true;
  }
  int64_t number = 0;
  if (!ParseInteger(text, number)) return false;
  value = number != 0;
  return true;
}

bool IsDecimalText(std::string_view text) {
  text = TrimView(text);
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t digits = 0;
  while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
  }
  if (digits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    size_t exponent_digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return pos == text.size();
}

bool ScaledFromDouble(double value, int64_t& scaled) {
  const double product = value * static_cast<double>(kScaledOne);
  if (!std::isfinite(product) || std::fabs(product) >= 9.2e18) return false;
  scaled = std::llround(product);
  return true;
}

bool ParseScaled(std::string_view text, int64_t& scaled) {
  text = TrimView(text);
  if (!IsDecimalText(text)) return false;
  if (text.find_first_of("eE") != std::string_view::npos) {
    double value = 0;
    return ParseFloat(text, value) && ScaledFromDouble(value, scaled);
  }
  // Plain decimal: exact integer arithmetic, so 0.1 is 1000 and not 999.
  size_t pos = 0;
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
  int64_t result = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    if (__builtin_mul_overflow(result, 10, &result) ||
        __builtin_add_overflow(result, text[pos++] - '0', &result)) {
      return false;
    }
  }
  if (__builtin_mul_overflow(result, kScaledOne, &result)) return false;
  if (pos < text.size() && text[pos] == '.') ++pos;
  int64_t unit = kScaledOne / 10;
  while (pos < text.size() && IsDigit(text[pos])) {
    const int digit = text[pos++] - '0';
    if (unit > 0) {
      if (__builtin_add_overflow(result, digit * unit, &result)) return false;
      unit /= 10;
    } else {
      // The fifth decimal rounds; later ones no longer matter.
      if (digit >= 5 && __builtin_add_overflow(result, 1, &result)) return false;
      break;
    }
  }
  scaled = negative ? -result : result;
  return true;
}

std::string FormatScaled(int64_t scaled) {
  const bool negative = scaled < 0;
  // Magnitude as unsigned so that the most negative value does not overflow.
  const uint64_t magnitude =
      negative ? static_cast<uint64_t>(-(scaled + 1)) + 1 : static_cast<uint64_t>(scaled);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / kScaledOne);
  uint64_t fraction = magnitude % kScaledOne;
  if (fraction != 0) {
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04u", static_cast<unsigned>(fraction));
    std::string_view tail(digits, 4);
    while (tail.back() == '0') tail.remove_suffix(1);
    text += '.';
    text += tail;
  }
  return text;
}

}  // namespace gateway
