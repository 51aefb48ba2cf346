#include "data/DataValue.h"

#include <cmath>

#include "config/Errors.h"
#include "data/ValueText.h"

namespace gateway {

namespace {

[[noreturn]] void ThrowNotA(const std::string& text, const char* kind) {
  throw EDatabaseError("'" + text + "' is not a valid " + kind + " value");
}

}  // namespace

DataValue DataValue::Bytes(std::string bytes) {
  DataValue result;
  result.value_ = BytesValue{std::move(bytes)};
  return result;
}

bool DataValue::AsBoolean() const {
  switch (GetKind()) {
    case kNull:
      return false;
    case kBoolean:
      return std::get<bool>(value_);
    case kInteger:
      return std::get<int64_t>(value_) != 0;
    case kFloat:
      return std::get<double>(value_) != 0;
    default: {
      const std::string text = AsString();
      bool result = false;
      if (!ParseBoolean(text, result)) ThrowNotA(text, "Boolean");
      return result;
    }
  }
}

int64_t DataValue::AsInteger() const {
  switch (GetKind()) {
    case kNull:
      return 0;
    case kBoolean:
      return std::get<bool>(value_) ? 1 : 0;
    case kInteger:
      return std::get<int64_t>(value_);
    case kFloat: {
      const double value = std::get<double>(value_);
      if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) ThrowNotA(AsString(), "integer");
      return std::llround(value);
    }
    default: {
      const std::string text = AsString();
      int64_t result = 0;
      if (!ParseInteger(text, result)) ThrowNotA(text, "integer");
      return result;
    }
  }
}

double DataValue::AsFloat() const {
  switch (GetKind()) {
    case kNull:
      return 0;
    case kBoolean:
      return std::get<bool>(value_) ? 1 : 0;
    case kInteger:
      return static_cast<double>(std::get<int64_t>(value_));
    case kFloat:
      return std::get<double>(value_);
    case kDateTime:
      return std::get<DateTime>(value_).ToSerial();
    default: {
      const std::string text = AsString();
      double result = 0;
      if (!ParseFloat(text, result)) ThrowNotA(text, "floating point");
      return result;
    }
  }
}

std::string DataValue::AsString() const {
  switch (GetKind()) {
    case kNull:
      return {};
    case kBoolean:
      return std::get<bool>(value_) ? "True" : "False";
    case kInteger:
      return std::to_string(std::get<int64_t>(value_));
    case kFloat:
      return FormatFloat(std::get<double>(value_));
    case kString:
      return std::get<std::string>(value_);
    case kDateTime:
      return FormatIsoDateTime(std::get<DateTime>(value_));
    case kBytes:
      return std::get<BytesValue>(value_).data;
  }
  return {};
}

DateTime DataValue::AsDateTime() const {
  switch (GetKind()) {
    case kNull:
      return DateTime{};
    case kDateTime:
      return std::get<DateTime>(value_);
    case kFloat:
      return DateTime::FromSerial(std::get<double>(value_));
    case kInteger:
      return DateTime::FromSerial(static_cast<double>(std::get<int64_t>(value_)));
    default: {
      const std::string text = AsString();
      DateTime result;
      if (!ParseIsoDateTime(text, result)) ThrowNotA(text, "date-time");
      return result;
    }
  }
}

}  // namespace gateway
