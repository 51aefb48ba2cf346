// Column-wise storage of a result held in memory: one column per field, each
// with fixed-width slots for numbers, dates and Booleans, or a byte arena plus
// one offset per row for text and binary data, and a null bitmap. No value is a
// heap object of its own, so a large result costs little more than its text.
//
// A value that cannot be read as its column's type (text in an integer column,
// a date that does not parse) is kept as the database's text ("raw"): it reads
// back unchanged as text, and a typed read of it raises a clear error rather
// than returning a wrong number or date.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/DateTime.h"
#include "data/FieldTypes.h"

namespace gateway {

class Column {
 public:
  Column(std::string name, FieldType type);

  const std::string& Name() const { return name_; }
  FieldType Type() const { return type_; }
  uint32_t RowCount() const { return rows_; }

  // Adds a row holding null.
  void AddRow();
  void Reserve(uint32_t rows);

  // Writes convert to the column's type. A column of type ftUnknown takes the
  // type of the first non-null value written to it.
  void SetNull(uint32_t row);
  void SetInteger(uint32_t row, int64_t value);
  void SetFloat(uint32_t row, double value);
  void SetBoolean(uint32_t row, bool value);
  void SetScaled(uint32_t row, int64_t scaled);  // fixed point, value * 10000
  void SetText(uint32_t row, std::string_view value);
  void SetBytes(uint32_t row, std::string_view value);
  void SetDateTime(uint32_t row, const DateTime& value);
  void CopyValue(uint32_t row, const Column& from, uint32_t from_row);

  bool IsNull(uint32_t row) const { return (nulls_[row >> 6] >> (row & 63)) & 1; }
  // True when the value is kept as text because it does not fit the column's type.
  bool IsRaw(uint32_t row) const { return !raw_.empty() && raw_.count(row) != 0; }

  // Typed reads; null reads as "", 0, false and the zero date. A value that
  // cannot be read as the wanted kind raises EDatabaseError naming the column.
  std::string Text(uint32_t row) const;
  int64_t LargeInt(uint32_t row) const;
  double Float(uint32_t row) const;
  bool Boolean(uint32_t row) const;
  DateTime DateTimeValue(uint32_t row) const;

  // Direct views for comparisons; only valid for the matching storage.
  bool IsVariable() const { return width_ == 0; }
  std::string_view Bytes(uint32_t row) const;  // variable-width columns
  int64_t FixedInteger(uint32_t row) const;    // integer, Boolean, scaled and date columns
  double FixedFloat(uint32_t row) const;       // ftFloat columns
  const std::string& RawText(uint32_t row) const { return raw_.at(row); }

  // Orders two rows of this column: null first, then raw texts, then values
  // (texts without regard to ASCII letter case).
  int Compare(uint32_t a, uint32_t b) const;

  size_t MaxLength() const { return max_length_; }
  size_t HeldBytes() const;
  void ShrinkToFit();

 private:
  void Decide(FieldType type);
  void SetRaw(uint32_t row, std::string_view text);
  void MarkValue(uint32_t row);
  void StoreFixed(uint32_t row, int64_t value);
  void StoreFloat(uint32_t row, double value);
  void StoreBytes(uint32_t row, std::string_view value);
  [[noreturn]] void ThrowCannotRead(uint32_t row, const char* kind) const;

  std::string name_;
  FieldType type_;
  uint8_t width_ = 0;  // bytes per fixed slot; 0 for arena-held values
  uint32_t rows_ = 0;
  size_t max_length_ = 0;
  std::vector<uint64_t> nulls_;       // one bit per row, set for null
  std::vector<unsigned char> fixed_;  // width_ bytes per row
  std::vector<char> arena_;           // length (varint) + bytes per value; offset 0 is ""
  std::vector<uint32_t> offsets_;     // arena offset per row
  std::unordered_map<uint32_t, std::string> raw_;
};

// A whole result: its field definitions, one column per field, and the rows
// that were deleted. Shared by a dataset and its clones.
class RecordStore {
 public:
  explicit RecordStore(std::vector<FieldDef> defs);

  const std::vector<FieldDef>& Defs() const { return defs_; }
  size_t ColumnCount() const { return columns_.size(); }
  Column& ColumnAt(size_t index) { return columns_[index]; }
  const Column& ColumnAt(size_t index) const { return columns_[index]; }

  uint32_t RowCount() const { return rows_; }
  uint32_t AddRow();
  void Reserve(uint32_t rows);
  bool IsDeleted(uint32_t row) const { return !deleted_.empty() && deleted_[row]; }
  void Delete(uint32_t row);
  // Changes whenever rows are added or deleted, so views know to rebuild.
  uint64_t ShapeVersion() const { return shape_version_; }

  // Settles column types and sizes once every row is in (see ResultBuilder).
  void Finish();
  size_t HeldBytes() const;

 private:
  std::vector<FieldDef> defs_;
  std::vector<Column> columns_;
  std::vector<bool> deleted_;
  uint32_t rows_ = 0;
  uint64_t shape_version_ = 0;
};

// What a driver fills while it fetches a result: the columns first, then the
// rows one by one.
class ResultBuilder {
 public:
  // A column of type ftUnknown takes the type of its first non-null value; a
  // text column of size 0 is sized to its longest value. With `bcd_as_float`,
  // BCD and FMT-BCD columns become float columns.
  void DefineColumns(std::vector<FieldDef> defs, bool bcd_as_float = false);
  bool Defined() const { return store_ != nullptr; }
  size_t ColumnCount() const { return store_->ColumnCount(); }
  FieldType ColumnType(size_t column) const { return store_->ColumnAt(column).Type(); }

  void BeginRow() { row_ = store_->AddRow(); }
  void PutInteger(size_t column, int64_t value) { store_->ColumnAt(column).SetInteger(row_, value); }
  void PutFloat(size_t column, double value) { store_->ColumnAt(column).SetFloat(row_, value); }
  void PutText(size_t column, std::string_view value) { store_->ColumnAt(column).SetText(row_, value); }
  void PutBytes(size_t column, std::string_view value) {
    store_->ColumnAt(column).SetBytes(row_, value);
  }
  void PutDateTime(size_t column, const DateTime& value) {
    store_->ColumnAt(column).SetDateTime(row_, value);
  }

  std::shared_ptr<RecordStore> Finish();

 private:
  std::shared_ptr<RecordStore> store_;
  uint32_t row_ = 0;
};

}  // namespace gateway
