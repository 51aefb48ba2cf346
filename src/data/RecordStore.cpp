#include "data/RecordStore.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>

#include "config/Errors.h"
#include "data/ValueText.h"

namespace gateway {

namespace {

uint8_t WidthOf(FieldType type) {
  switch (type) {
    case ftBoolean:
      return 1;
    case ftSmallint:
    case ftWord:
      return 2;
    case ftInteger:
    case ftAutoInc:
      return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
      return 8;
    default:
      return 0;
  }
}

bool IsScaledType(FieldType type) { return type == ftCurrency || type == ftBCD; }

bool FitsInteger(FieldType type, int64_t value) {
  switch (type) {
    case ftSmallint:
      return value >= -32768 && value <= 32767;
    case ftWord:
      return value >= 0 && value <= 65535;
    case ftInteger:
    case ftAutoInc:
      return value >= std::numeric_limits<int32_t>::min() &&
             value <= std::numeric_limits<int32_t>::max();
    default:
      return true;
  }
}

unsigned char FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

int CompareNoCase(std::string_view a, std::string_view b) {
  const size_t length = std::min(a.size(), b.size());
  for (size_t i = 0; i < length; ++i) {
    const unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
    const unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <class T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

constexpr int64_t kMillisecondsPerDay = 86'400'000;

}  // namespace

Column::Column(std::string name, FieldType type) : name_(std::move(name)), type_(ftUnknown) {
  if (type != ftUnknown) Decide(type);
}

void Column::Decide(FieldType type) {
  type_ = type;
  width_ = WidthOf(type);
  if (width_ > 0) {
    fixed_.assign(static_cast<size_t>(rows_) * width_, 0);
  } else {
    arena_.assign(1, 0);  // offset 0: the empty value every new row points at
    offsets_.assign(rows_, 0);
  }
}

void Column::Reserve(uint32_t rows) {
  nulls_.reserve((rows + 63) / 64);
  if (width_ > 0) {
    fixed_.reserve(static_cast<size_t>(rows) * width_);
  } else if (type_ != ftUnknown) {
    offsets_.reserve(rows);
  }
}

void Column::AddRow() {
  if ((rows_ & 63) == 0) nulls_.push_back(0);
  nulls_.back() |= uint64_t{1} << (rows_ & 63);
  if (width_ > 0) {
    fixed_.resize(fixed_.size() + width_);
  } else if (type_ != ftUnknown) {
    offsets_.push_back(0);
  }
  ++rows_;
}

void Column::MarkValue(uint32_t row) {
  nulls_[row >> 6] &= ~(uint64_t{1} << (row & 63));
  if (!raw_.empty()) raw_.erase(row);
}

void Column::SetNull(uint32_t row) {
  nulls_[row >> 6] |= uint64_t{1} << (row & 63);
  if (!raw_.empty()) raw_.erase(row);
  if (width_ > 0) {
    std::memset(&fixed_[static_cast<size_t>(row) * width_], 0, width_);
  } else if (type_ != ftUnknown) {
    offsets_[row] = 0;
  }
}

void Column::StoreFixed(uint32_t row, int64_t value) {
  MarkValue(row);
  unsigned char* slot = &fixed_[static_cast<size_t>(row) * width_];
  switch (width_) {
    case 1: {
      const uint8_t v = static_cast<uint8_t>(value);
      std::memcpy(slot, &v, 1);
      break;
    }
    case 2: {
      const uint16_t v = static_cast<uint16_t>(value);
      std::memcpy(slot, &v, 2);
      break;
    }
    case 4: {
      const int32_t v = static_cast<int32_t>(value);
      std::memcpy(slot, &v, 4);
      break;
    }
    default:
      std::memcpy(slot, &value, 8);
  }
}

void Column::StoreFloat(uint32_t row, double value) {
  MarkValue(row);
  std::memcpy(&fixed_[static_cast<size_t>(row) * width_], &value, 8);
}

void Column::StoreBytes(uint32_t row, std::string_view value) {
  MarkValue(row);
  if (value.empty()) {
    offsets_[row] = 0;
    return;
  }
  const size_t start = arena_.size();
  if (start + value.size() + 10 > std::numeric_limits<uint32_t>::max()) {
    throw EDatabaseError("The result is too large to hold: column '" + name_ +
                         "' needs more than 4 GiB");
  }
  uint64_t length = value.size();
  while (length >= 0x80) {
    arena_.push_back(static_cast<char>((length & 0x7f) | 0x80));
    length >>= 7;
  }
  arena_.push_back(static_cast<char>(length));
  arena_.insert(arena_.end(), value.begin(), value.end());
  offsets_[row] = static_cast<uint32_t>(start);
  if (value.size() > max_length_) max_length_ = value.size();
}

void Column::SetRaw(uint32_t row, std::string_view text) {
  if (width_ > 0) {
    StoreFixed(row, 0);
  } else {
    StoreBytes(row, {});
  }
  raw_[row] = std::string(text);
  if (text.size() > max_length_) max_length_ = text.size();
}

void Column::SetInteger(uint32_t row, int64_t value) {
  if (type_ == ftUnknown) Decide(ftLargeint);
  if (IsIntegerType(type_)) {
    if (FitsInteger(type_, value)) {
      StoreFixed(row, value);
    } else {
      SetRaw(row, std::to_string(value));
    }
  } else if (type_ == ftBoolean) {
    StoreFixed(row, value != 0);
  } else if (type_ == ftFloat) {
    StoreFloat(row, static_cast<double>(value));
  } else if (IsScaledType(type_)) {
    int64_t scaled = 0;
    if (__builtin_mul_overflow(value, kScaledOne, &scaled)) {
      SetRaw(row, std::to_string(value));
    } else {
      StoreFixed(row, scaled);
    }
  } else if (IsDateTimeType(type_)) {
    SetRaw(row, std::to_string(value));
  } else if (type_ == ftDataSet) {
    throw EDatabaseError("Field '" + name_ + "' is a dataset field and holds no value");
  } else {
    StoreBytes(row, std::to_string(value));
  }
}

void Column::SetFloat(uint32_t row, double value) {
  if (type_ == ftUnknown) Decide(ftFloat);
  if (type_ == ftFloat) {
    StoreFloat(row, value);
  } else if (IsIntegerType(type_)) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 9.2e18 &&
        FitsInteger(type_, static_cast<int64_t>(value))) {
      StoreFixed(row, static_cast<int64_t>(value));
    } else {
      SetRaw(row, FormatFloat(value));
    }
  } else if (type_ == ftBoolean) {
    StoreFixed(row, value != 0);
  } else if (IsScaledType(type_)) {
    int64_t scaled = 0;
    if (ScaledFromDouble(value, scaled)) {
      StoreFixed(row, scaled);
    } else {
      SetRaw(row, FormatFloat(value));
    }
  } else if (IsDateTimeType(type_)) {
    SetRaw(row, FormatFloat(value));
  } else if (type_ == ftDataSet) {
    SetInteger(row, 0);  // raises the dataset-field error
  } else {
    StoreBytes(row, FormatFloat(value));
  }
}

void Column::SetBoolean(uint32_t row, bool value) {
  if (type_ == ftUnknown) Decide(ftBoolean);
  if (IsTextType(type_)) {
    StoreBytes(row, value ? "True" : "False");
  } else {
    SetInteger(row, value ? 1 : 0);
  }
}

void Column::SetScaled(uint32_t row, int64_t scaled) {
  if (type_ == ftUnknown) Decide(ftCurrency);
  if (IsScaledType(type_)) {
    StoreFixed(row, scaled);
  } else if (type_ == ftFloat) {
    StoreFloat(row, static_cast<double>(scaled) / static_cast<double>(kScaledOne));
  } else {
    SetText(row, FormatScaled(scaled));
  }
}

void Column::SetText(uint32_t row, std::string_view value) {
  if (type_ == ftUnknown) Decide(ftString);
  if (width_ == 0) {
    if (type_ == ftFMTBcd && !IsDecimalText(value)) {
      SetRaw(row, value);
    } else if (type_ == ftDataSet) {
      SetInteger(row, 0);
    } else {
      StoreBytes(row, value);
    }
    return;
  }
  bool stored = false;
  if (IsIntegerType(type_)) {
    int64_t number = 0;
    if (ParseInteger(value, number) && FitsInteger(type_, number)) {
      StoreFixed(row, number);
      stored = true;
    }
  } else if (type_ == ftBoolean) {
    bool flag = false;
    if (ParseBoolean(value, flag)) {
      StoreFixed(row, flag);
      stored = true;
    }
  } else if (type_ == ftFloat) {
    double number = 0;
    if (ParseFloat(value, number)) {
      StoreFloat(row, number);
      stored = true;
    }
  } else if (IsScaledType(type_)) {
    int64_t scaled = 0;
    if (ParseScaled(value, scaled)) {
      StoreFixed(row, scaled);
      stored = true;
    }
  } else if (IsDateTimeType(type_)) {
    DateTime date;
    if (ParseIsoDateTime(value, date)) {
      StoreFixed(row, date.ToMilliseconds());
      stored = true;
    }
  }
  if (!stored) SetRaw(row, value);
}

void Column::SetBytes(uint32_t row, std::string_view value) {
  if (type_ == ftUnknown) Decide(ftBlob);
  if (width_ == 0 && type_ != ftFMTBcd) {
    StoreBytes(row, value);
  } else {
    SetText(row, value);
  }
}

void Column::SetDateTime(uint32_t row, const DateTime& value) {
  if (type_ == ftUnknown) Decide(ftDateTime);
  if (IsDateTimeType(type_)) {
    StoreFixed(row, value.ToMilliseconds());
  } else if (type_ == ftFloat) {
    StoreFloat(row, value.ToSerial());
  } else if (width_ == 0) {
    SetText(row, FormatIsoDateTime(value));
  } else {
    SetRaw(row, FormatIsoDateTime(value));
  }
}

void Column::CopyValue(uint32_t row, const Column& from, uint32_t from_row) {
  if (from.IsNull(from_row)) {
    SetNull(row);
  } else if (from.IsRaw(from_row)) {
    SetText(row, from.RawText(from_row));
  } else if (from.type_ == type_ && width_ > 0) {
    MarkValue(row);
    std::memcpy(&fixed_[static_cast<size_t>(row) * width_],
                &from.fixed_[static_cast<size_t>(from_row) * width_], width_);
  } else if (from.type_ == type_ && type_ != ftUnknown) {
    StoreBytes(row, from.Bytes(from_row));
  } else {
    SetText(row, from.Text(from_row));
  }
}

std::string_view Column::Bytes(uint32_t row) const {
  const uint32_t offset = offsets_[row];
  const char* p = arena_.data() + offset;
  uint64_t length = 0;
  int shift = 0;
  while (static_cast<unsigned char>(*p) & 0x80) {
    length |= static_cast<uint64_t>(static_cast<unsigned char>(*p) & 0x7f) << shift;
    shift += 7;
    ++p;
  }
  length |= static_cast<uint64_t>(static_cast<unsigned char>(*p)) << shift;
  return std::string_view(p + 1, length);
}

int64_t Column::FixedInteger(uint32_t row) const {
  const unsigned char* slot = &fixed_[static_cast<size_t>(row) * width_];
  switch (width_) {
    case 1:
      return *slot;
    case 2:
      if (type_ == ftWord) {
        uint16_t v;
        std::memcpy(&v, slot, 2);
        return v;
      } else {
        int16_t v;
        std::memcpy(&v, slot, 2);
        return v;
      }
    case 4: {
      int32_t v;
      std::memcpy(&v, slot, 4);
      return v;
    }
    default: {
      int64_t v;
      std::memcpy(&v, slot, 8);
      return v;
    }
  }
}

double Column::FixedFloat(uint32_t row) const {
  double v;
  std::memcpy(&v, &fixed_[static_cast<size_t>(row) * width_], 8);
  return v;
}

void Column::ThrowCannotRead(uint32_t row, const char* kind) const {
  throw EDatabaseError("Field '" + name_ + "' holds '" + Text(row) + "', which is not a valid " +
                       kind + " value");
}

std::string Column::Text(uint32_t row) const {
  if (IsNull(row)) return {};
  if (IsRaw(row)) return raw_.at(row);
  if (width_ == 0) return std::string(Bytes(row));
  if (type_ == ftFloat) return FormatFloat(FixedFloat(row));
  const int64_t value = FixedInteger(row);
  if (type_ == ftBoolean) return value ? "True" : "False";
  if (IsScaledType(type_)) return FormatScaled(value);
  if (IsDateTimeType(type_)) return FormatIsoDateTime(DateTime::FromMilliseconds(value), type_);
  return std::to_string(value);
}

int64_t Column::LargeInt(uint32_t row) const {
  if (IsNull(row)) return 0;
  if (IsRaw(row) || IsTextType(type_) || type_ == ftFMTBcd) {
    int64_t value = 0;
    if (!ParseInteger(Text(row), value)) ThrowCannotRead(row, "integer");
    return value;
  }
  if (IsIntegerType(type_) || type_ == ftBoolean) return FixedInteger(row);
  if (type_ == ftFloat) {
    const double value = FixedFloat(row);
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) ThrowCannotRead(row, "integer");
    return std::llround(value);
  }
  if (IsScaledType(type_)) {
    const int64_t scaled = FixedInteger(row);
    const int64_t whole = scaled / kScaledOne;
    const int64_t rest = scaled % kScaledOne;
    if (rest >= kScaledOne / 2) return whole + 1;
    if (rest <= -kScaledOne / 2) return whole - 1;
    return whole;
  }
  ThrowCannotRead(row, "integer");
}

double Column::Float(uint32_t row) const {
  if (IsNull(row)) return 0;
  if (IsRaw(row) || IsTextType(type_) || type_ == ftFMTBcd) {
    double value = 0;
    if (!ParseFloat(Text(row), value)) ThrowCannotRead(row, "floating point");
    return value;
  }
  if (type_ == ftFloat) return FixedFloat(row);
  if (IsIntegerType(type_) || type_ == ftBoolean) return static_cast<double>(FixedInteger(row));
  if (IsScaledType(type_)) {
    return static_cast<double>(FixedInteger(row)) / static_cast<double>(kScaledOne);
  }
  if (IsDateTimeType(type_)) return DateTime::FromMilliseconds(FixedInteger(row)).ToSerial();
  ThrowCannotRead(row, "floating point");
}

bool Column::Boolean(uint32_t row) const {
  if (IsNull(row)) return false;
  if (IsRaw(row) || IsTextType(type_)) {
    bool value = false;
    if (!ParseBoolean(Text(row), value)) ThrowCannotRead(row, "Boolean");
    return value;
  }
  if (type_ == ftFloat) return FixedFloat(row) != 0;
  if (IsIntegerType(type_) || type_ == ftBoolean || IsScaledType(type_)) {
    return FixedInteger(row) != 0;
  }
  ThrowCannotRead(row, "Boolean");
}

DateTime Column::DateTimeValue(uint32_t row) const {
  if (IsNull(row)) return DateTime{};
  if (IsRaw(row) || IsTextType(type_)) {
    DateTime value;
    if (!ParseIsoDateTime(Text(row), value)) ThrowCannotRead(row, "date-time");
    return value;
  }
  if (IsDateTimeType(type_)) return DateTime::FromMilliseconds(FixedInteger(row));
  if (type_ == ftFloat) return DateTime::FromSerial(FixedFloat(row));
  ThrowCannotRead(row, "date-time");
}

int Column::Compare(uint32_t a, uint32_t b) const {
  const bool null_a = IsNull(a);
  const bool null_b = IsNull(b);
  if (null_a || null_b) return null_a == null_b ? 0 : (null_a ? -1 : 1);
  if (!raw_.empty()) {
    const bool raw_a = IsRaw(a);
    const bool raw_b = IsRaw(b);
    if (raw_a && raw_b) return CompareNoCase(raw_.at(a), raw_.at(b));
    if (raw_a || raw_b) return raw_a ? -1 : 1;
  }
  if (width_ > 0) {
    if (type_ == ftFloat) return Order(FixedFloat(a), FixedFloat(b));
    return Order(FixedInteger(a), FixedInteger(b));
  }
  if (type_ == ftFMTBcd) return Order(Float(a), Float(b));
  if (IsBinaryType(type_)) {
    const int result = Bytes(a).compare(Bytes(b));
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
  }
  return CompareNoCase(Bytes(a), Bytes(b));
}

size_t Column::HeldBytes() const {
  size_t bytes = sizeof(Column) + nulls_.capacity() * sizeof(uint64_t) + fixed_.capacity() +
                 arena_.capacity() + offsets_.capacity() * sizeof(uint32_t);
  for (const auto& [row, text] : raw_) bytes += sizeof(row) + sizeof(text) + text.capacity() + 16;
  return bytes;
}

void Column::ShrinkToFit() {
  nulls_.shrink_to_fit();
  fixed_.shrink_to_fit();
  arena_.shrink_to_fit();
  offsets_.shrink_to_fit();
}

RecordStore::RecordStore(std::vector<FieldDef> defs) : defs_(std::move(defs)) {
  columns_.reserve(defs_.size());
  for (const FieldDef& def : defs_) columns_.emplace_back(def.Name, def.DataType);
}

uint32_t RecordStore::AddRow() {
  if (rows_ == std::numeric_limits<uint32_t>::max()) {
    throw EDatabaseError("The result is too large to hold: more than 4294967295 rows");
  }
  for (Column& column : columns_) column.AddRow();
  if (!deleted_.empty()) deleted_.push_back(false);
  ++shape_version_;
  return rows_++;
}

void RecordStore::Reserve(uint32_t rows) {
  for (Column& column : columns_) column.Reserve(rows);
}

void RecordStore::Delete(uint32_t row) {
  if (deleted_.empty()) deleted_.assign(rows_, false);
  deleted_[row] = true;
  ++shape_version_;
}

void RecordStore::Finish() {
  for (size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    FieldDef& def = defs_[i];
    if (column.Type() == ftUnknown) {
      // Every value was null: the column reads as an empty string column.
      Column settled(def.Name, ftString);
      for (uint32_t row = 0; row < column.RowCount(); ++row) settled.AddRow();
      column = std::move(settled);
    }
    def.DataType = column.Type();
    const bool sized = def.DataType == ftString || def.DataType == ftFixedChar ||
                       def.DataType == ftWideString || def.DataType == ftBytes ||
                       def.DataType == ftGuid;
    if (sized) {
      // A database that does not enforce declared sizes (SQLite) may hold longer
      // values; the field is sized so that none of them is cut by a consumer.
      const int longest = static_cast<int>(std::min<size_t>(column.MaxLength(), 1u << 30));
      def.Size = std::max({def.Size, longest, 1});
    } else if (def.DataType == ftBCD || def.DataType == ftFMTBcd) {
      def.Size = def.NumericScale;
    } else if (!IsTextType(def.DataType) && !IsBinaryType(def.DataType)) {
      def.Size = 0;
    }
    column.ShrinkToFit();
  }
}

size_t RecordStore::HeldBytes() const {
  size_t bytes = sizeof(RecordStore) + deleted_.capacity() / 8;
  for (const Column& column : columns_) bytes += column.HeldBytes();
  for (const FieldDef& def : defs_) bytes += sizeof(def) + def.Name.capacity();
  return bytes;
}

void ResultBuilder::DefineColumns(std::vector<FieldDef> defs, bool bcd_as_float) {
  for (FieldDef& def : defs) {
    if (bcd_as_float && (def.DataType == ftBCD || def.DataType == ftFMTBcd)) def.DataType = ftFloat;
  }
  store_ = std::make_shared<RecordStore>(std::move(defs));
}

std::shared_ptr<RecordStore> ResultBuilder::Finish() {
  store_->Finish();
  return std::move(store_);
}

}  // namespace gateway
