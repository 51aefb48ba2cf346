// One value of any kind the data layer knows: the value of a statement
// parameter, a search key or a value handed between a field and a parameter.
// Stored results never use it; they keep their values column by column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "config/DateTime.h"

namespace gateway {

class DataValue {
 public:
  enum Kind : uint8_t { kNull, kBoolean, kInteger, kFloat, kString, kDateTime, kBytes };

  DataValue() = default;
  DataValue(bool value) : value_(value) {}  // NOLINT: implicit on purpose, like a variant
  DataValue(int value) : value_(static_cast<int64_t>(value)) {}        // NOLINT
  DataValue(long value) : value_(static_cast<int64_t>(value)) {}       // NOLINT
  DataValue(long long value) : value_(static_cast<int64_t>(value)) {}  // NOLINT
  DataValue(double value) : value_(value) {}                           // NOLINT
  DataValue(std::string value) : value_(std::move(value)) {}           // NOLINT
  DataValue(std::string_view value) : value_(std::string(value)) {}    // NOLINT
  DataValue(const char* value) : value_(std::string(value)) {}         // NOLINT
  DataValue(const DateTime& value) : value_(value) {}                  // NOLINT
  // Binary data; a plain string is text.
  static DataValue Bytes(std::string bytes);

  Kind GetKind() const { return static_cast<Kind>(value_.index()); }
  bool IsNull() const { return GetKind() == kNull; }

  // Conversions. A null reads as false, 0, "" and the zero date; a text that is
  // not of the wanted kind raises EDatabaseError.
  bool AsBoolean() const;
  int64_t AsInteger() const;
  double AsFloat() const;
  std::string AsString() const;  // dates as "YYYY-MM-DD hh:mm:ss[.zzz]", Booleans "True"/"False"
  DateTime AsDateTime() const;

  friend bool operator==(const DataValue&, const DataValue&) = default;

 private:
  struct BytesValue {
    std::string data;
    friend bool operator==(const BytesValue&, const BytesValue&) = default;
  };
  std::variant<std::monostate, bool, int64_t, double, std::string, DateTime, BytesValue> value_;
};

}  // namespace gateway
