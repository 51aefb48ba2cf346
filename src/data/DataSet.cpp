#include "data/DataSet.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "config/Errors.h"
#include "data/ValueText.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

[[noreturn]] void Fail(const std::string& message) { throw EDatabaseError(message); }

}  // namespace

// ---------------------------------------------------------------------------
// Field

Field::Field(DataSet& owner, int index, const FieldDef& def)
    : owner_(owner),
      index_(index),
      name_(def.Name),
      type_(def.DataType),
      size_(def.Size),
      precision_(def.Precision),
      scale_(def.NumericScale),
      visible_((def.Attributes & faHiddenCol) == 0),
      read_only_((def.Attributes & faReadonly) != 0),
      required_((def.Attributes & faRequired) != 0) {}

bool Field::IsNull() const {
  const auto cell = owner_.ReadCell(index_);
  return cell.column == nullptr || cell.column->IsNull(cell.row);
}

bool Field::HoldsRawText() const {
  const auto cell = owner_.ReadCell(index_);
  return cell.column != nullptr && cell.column->IsRaw(cell.row);
}

std::string Field::AsString() const {
  const auto cell = owner_.ReadCell(index_);
  if (cell.column == nullptr) return {};
  std::string text = cell.column->Text(cell.row);
  owner_.AdjustFieldText(*this, text);
  return text;
}

int32_t Field::AsInteger() const {
  const int64_t value = AsLargeInt();
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    Fail("Field '" + name_ + "' holds " + std::to_string(value) +
         ", which is out of the range of an integer");
  }
  return static_cast<int32_t>(value);
}

int64_t Field::AsLargeInt() const {
  const auto cell = owner_.ReadCell(index_);
  return cell.column == nullptr ? 0 : cell.column->LargeInt(cell.row);
}

double Field::AsFloat() const {
  const auto cell = owner_.ReadCell(index_);
  return cell.column == nullptr ? 0 : cell.column->Float(cell.row);
}

bool Field::AsBoolean() const {
  const auto cell = owner_.ReadCell(index_);
  return cell.column != nullptr && cell.column->Boolean(cell.row);
}

DateTime Field::AsDateTime() const {
  const auto cell = owner_.ReadCell(index_);
  return cell.column == nullptr ? DateTime{} : cell.column->DateTimeValue(cell.row);
}

DataValue Field::Value() const {
  const auto cell = owner_.ReadCell(index_);
  if (cell.column == nullptr || cell.column->IsNull(cell.row)) return DataValue();
  if (cell.column->IsRaw(cell.row)) return DataValue(cell.column->RawText(cell.row));
  switch (type_) {
    case ftBoolean:
      return DataValue(AsBoolean());
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftLargeint:
    case ftAutoInc:
      return DataValue(AsLargeInt());
    case ftFloat:
    case ftCurrency:
    case ftBCD:
      return DataValue(AsFloat());
    case ftDate:
    case ftTime:
    case ftDateTime:
      return DataValue(AsDateTime());
    case ftBlob:
    case ftGraphic:
    case ftBytes:
      return DataValue::Bytes(std::string(cell.column->Bytes(cell.row)));
    default:
      return DataValue(AsString());
  }
}

// Writes go to a scratch row of the edit buffer first; only a value the
// field's type accepts (one that did not end up as raw text) is copied into
// the record, so a rejected value leaves the field as it was.
template <class Write>
void Field::WriteChecked(Write write, const char* kind) {
  Column& column = owner_.WriteColumn(*this);
  constexpr uint32_t kRecord = 0, kScratch = 1;
  if (IsTextType(type_) || IsBinaryType(type_)) {
    write(column, kRecord);
  } else {
    write(column, kScratch);
    if (column.IsRaw(kScratch)) {
      const std::string text = column.RawText(kScratch);
      column.SetNull(kScratch);
      Fail("'" + text + "' is not a valid " + kind + " value for field '" + name_ + "'");
    }
    column.CopyValue(kRecord, column, kScratch);
  }
  owner_.modified_ = true;
}

void Field::SetAsString(std::string_view value) {
  const char* kind = IsIntegerType(type_)  ? "integer"
                     : type_ == ftBoolean  ? "Boolean"
                     : IsDateTimeType(type_) ? "date-time"
                                             : "numeric";
  WriteChecked([&](Column& column, uint32_t row) { column.SetText(row, value); }, kind);
}

void Field::SetAsLargeInt(int64_t value) {
  WriteChecked([&](Column& column, uint32_t row) { column.SetInteger(row, value); },
               IsIntegerType(type_) ? "in-range integer" : FieldTypeName(type_));
}

void Field::SetAsFloat(double value) {
  if (IsIntegerType(type_) && std::isfinite(value) && std::fabs(value) < 9.2e18) {
    value = std::round(value);  // an integer field takes a number rounded, as it reads one
  }
  WriteChecked([&](Column& column, uint32_t row) { column.SetFloat(row, value); },
               FieldTypeName(type_));
}

void Field::SetAsBoolean(bool value) {
  WriteChecked([&](Column& column, uint32_t row) { column.SetBoolean(row, value); },
               FieldTypeName(type_));
}

void Field::SetAsDateTime(const DateTime& value) {
  WriteChecked([&](Column& column, uint32_t row) { column.SetDateTime(row, value); },
               FieldTypeName(type_));
}

void Field::SetValue(const DataValue& value) {
  switch (value.GetKind()) {
    case DataValue::kNull:
      Clear();
      break;
    case DataValue::kBoolean:
      SetAsBoolean(value.AsBoolean());
      break;
    case DataValue::kInteger:
      SetAsLargeInt(value.AsInteger());
      break;
    case DataValue::kFloat:
      SetAsFloat(value.AsFloat());
      break;
    case DataValue::kDateTime:
      SetAsDateTime(value.AsDateTime());
      break;
    case DataValue::kBytes: {
      const std::string bytes = value.AsString();
      WriteChecked([&](Column& column, uint32_t row) { column.SetBytes(row, bytes); },
                   FieldTypeName(type_));
      break;
    }
    case DataValue::kString:
      SetAsString(value.AsString());
      break;
  }
}

void Field::Clear() {
  owner_.WriteColumn(*this).SetNull(0);
  owner_.modified_ = true;
}

// ---------------------------------------------------------------------------
// DataSet

DataSet::DataSet() = default;
DataSet::~DataSet() = default;

void DataSet::Open() {
  if (Active()) return;
  DoBeforeOpen();
  InternalOpen();
}

void DataSet::InternalOpen() {
  std::shared_ptr<RecordStore> store = OpenStore();
  store_ = std::move(store);
  InitFieldDefs();
  MakeFields();
  filter_.clear();
  filter_criterion_.reset();
  sort_.clear();
  sort_keys_.clear();
  state_ = dsBrowse;
  modified_ = false;
  Rebuild();
  position_ = 0;
  eof_ = bof_ = index_.empty();
}

std::shared_ptr<RecordStore> DataSet::OpenStore() {
  Fail("The dataset has nothing to open: it needs a query or CreateDataSet");
}

void DataSet::InitFieldDefs() { field_defs_ = store_->Defs(); }

void DataSet::AdjustFieldText(const Field&, std::string&) const {}

void DataSet::MakeFields() {
  fields_.clear();
  for (size_t i = 0; i < field_defs_.size(); ++i) {
    FieldDef def = field_defs_[i];
    def.DataType = store_->ColumnAt(i).Type();  // the stored type is what the field reads
    fields_.push_back(std::make_unique<Field>(*this, static_cast<int>(i), def));
  }
}

void DataSet::CreateDataSet(std::vector<FieldDef> defs) {
  Close();
  for (const FieldDef& def : defs) {
    if (def.DataType == ftUnknown) Fail("Field '" + def.Name + "' needs a data type");
  }
  ResultBuilder builder;
  builder.DefineColumns(std::move(defs));
  const auto store = builder.Finish();
  // Declared sizes are kept as given (Finish raises a size of 0 to 1 only).
  store_ = store;
  InitFieldDefs();
  MakeFields();
  state_ = dsBrowse;
  modified_ = false;
  Rebuild();
  position_ = 0;
  eof_ = bof_ = true;
}

void DataSet::Close() {
  if (!Active()) return;
  InternalClose();
  fields_.clear();
  field_defs_.clear();
  buffer_.reset();
  store_.reset();
  index_.clear();
  filter_.clear();
  filter_criterion_.reset();
  sort_.clear();
  sort_keys_.clear();
  state_ = dsInactive;
  eof_ = bof_ = true;
  modified_ = false;
  position_ = 0;
}

Field& DataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) {
    Fail("Field index " + std::to_string(index) + " out of range (the dataset has " +
         std::to_string(FieldCount()) + " fields)");
  }
  return *fields_[static_cast<size_t>(index)];
}

Field* DataSet::FindField(std::string_view name) const {
  for (const auto& field : fields_) {
    if (SameTextAscii(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

Field& DataSet::FieldByName(std::string_view name) const {
  Field* field = FindField(name);
  if (field == nullptr) Fail("Field '" + std::string(name) + "' not found");
  return *field;
}

void DataSet::RequireActive() const {
  if (!Active()) Fail("Cannot perform this operation on a closed dataset");
}

void DataSet::RequireRecord() const {
  RequireActive();
  Sync();
  if (index_.empty()) Fail("Cannot perform this operation on an empty dataset");
}

void DataSet::RequireModifiable() const {
  RequireActive();
  if (read_only_) Fail("Cannot modify a read-only dataset");
}

// Brings this view up to date after rows were added or deleted through
// another view of the same result.
void DataSet::Sync() const {
  if (store_ && store_->ShapeVersion() != seen_version_) Rebuild();
}

void DataSet::Rebuild() const {
  const bool had_record = !index_.empty() && position_ < index_.size();
  const uint32_t current = had_record ? index_[position_] : 0;
  index_.clear();
  const uint32_t rows = store_->RowCount();
  index_.reserve(rows);
  for (uint32_t row = 0; row < rows; ++row) {
    if (store_->IsDeleted(row)) continue;
    if (filter_criterion_ && !filter_criterion_->Matches(*store_, row)) continue;
    index_.push_back(row);
  }
  ApplySort();
  seen_version_ = store_->ShapeVersion();
  position_ = 0;
  if (had_record) {
    const auto found = std::find(index_.begin(), index_.end(), current);
    if (found != index_.end()) position_ = static_cast<size_t>(found - index_.begin());
  }
  if (index_.empty()) eof_ = bof_ = true;
}

void DataSet::ApplySort() const {
  if (sort_keys_.empty()) return;
  const RecordStore& store = *store_;
  std::stable_sort(index_.begin(), index_.end(), [&](uint32_t a, uint32_t b) {
    for (const auto& [column, descending] : sort_keys_) {
      const int order = store.ColumnAt(column).Compare(a, b);
      if (order != 0) return descending ? order > 0 : order < 0;
    }
    return false;
  });
}

DataSet::Cell DataSet::ReadCell(int field) const {
  if (state_ == dsEdit || state_ == dsInsert) {
    return {&buffer_->ColumnAt(static_cast<size_t>(field)), 0};
  }
  if (!Active()) Fail("Cannot read field values of a closed dataset");
  Sync();
  if (index_.empty()) return {nullptr, 0};
  return {&store_->ColumnAt(static_cast<size_t>(field)), index_[position_]};
}

Column& DataSet::WriteColumn(const Field& field) {
  if (state_ != dsEdit && state_ != dsInsert) {
    Fail("Dataset not in edit or insert mode (writing field '" + field.FieldName() + "')");
  }
  if (field.ReadOnly()) Fail("Field '" + field.FieldName() + "' cannot be modified");
  if (field.DataType() == ftDataSet) {
    Fail("Field '" + field.FieldName() + "' is a dataset field and holds no value");
  }
  return buffer_->ColumnAt(static_cast<size_t>(field.Index()));
}

void DataSet::Scroll(const std::function<void()>& move) {
  RequireActive();
  CheckBrowseMode();
  Sync();
  if (BeforeScroll) BeforeScroll(*this);
  move();
  if (AfterScroll) AfterScroll(*this);
}

void DataSet::First() {
  Scroll([this] {
    position_ = 0;
    eof_ = bof_ = index_.empty();
  });
}

void DataSet::Last() {
  Scroll([this] {
    position_ = index_.empty() ? 0 : index_.size() - 1;
    eof_ = bof_ = index_.empty();
  });
}

void DataSet::Next() {
  Scroll([this] {
    if (position_ + 1 < index_.size()) {
      ++position_;
      bof_ = false;
    } else {
      eof_ = true;
    }
  });
}

void DataSet::Prior() {
  Scroll([this] {
    if (position_ > 0 && !index_.empty()) {
      --position_;
      eof_ = false;
    } else {
      bof_ = true;
    }
  });
}

int DataSet::MoveBy(int distance) {
  int moved = 0;
  Scroll([&] {
    while (distance > 0) {
      if (position_ + 1 >= index_.size()) {
        eof_ = true;
        break;
      }
      ++position_;
      ++moved;
      --distance;
      bof_ = false;
    }
    while (distance < 0) {
      if (position_ == 0 || index_.empty()) {
        bof_ = true;
        break;
      }
      --position_;
      --moved;
      ++distance;
      eof_ = false;
    }
  });
  return moved;
}

bool DataSet::IsEmpty() const {
  if (!Active()) return true;
  Sync();
  return index_.empty() && state_ != dsInsert;
}

int DataSet::RecordCount() const {
  if (!Active()) return 0;
  Sync();
  return static_cast<int>(index_.size());
}

int DataSet::RecNo() const {
  if (!Active() || state_ == dsInsert) return 0;
  Sync();
  return index_.empty() ? 0 : static_cast<int>(position_) + 1;
}

void DataSet::SetRecNo(int record_number) {
  RequireRecord();
  if (record_number < 1 || static_cast<size_t>(record_number) > index_.size()) {
    Fail("Record number " + std::to_string(record_number) + " out of range (the dataset has " +
         std::to_string(index_.size()) + " records)");
  }
  Scroll([&] {
    position_ = static_cast<size_t>(record_number) - 1;
    eof_ = bof_ = false;
  });
}

void DataSet::Append() {
  RequireModifiable();
  CheckBrowseMode();
  buffer_ = std::make_unique<RecordStore>(store_->Defs());
  buffer_->AddRow();  // the record
  buffer_->AddRow();  // scratch row for checking a value before it is taken
  state_ = dsInsert;
  modified_ = false;
}

void DataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  RequireModifiable();
  RequireRecord();
  buffer_ = std::make_unique<RecordStore>(store_->Defs());
  buffer_->AddRow();
  buffer_->AddRow();
  const uint32_t row = index_[position_];
  for (size_t i = 0; i < store_->ColumnCount(); ++i) {
    buffer_->ColumnAt(i).CopyValue(0, store_->ColumnAt(i), row);
  }
  state_ = dsEdit;
  modified_ = false;
}

void DataSet::Post() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  Sync();
  uint32_t row = 0;
  if (state_ == dsInsert) {
    row = store_->AddRow();
  } else {
    row = index_[position_];
  }
  for (size_t i = 0; i < store_->ColumnCount(); ++i) {
    store_->ColumnAt(i).CopyValue(row, buffer_->ColumnAt(i), 0);
  }
  if (state_ == dsInsert) {
    index_.push_back(row);
    seen_version_ = store_->ShapeVersion();
    position_ = index_.size() - 1;
  }
  eof_ = bof_ = false;
  buffer_.reset();
  state_ = dsBrowse;
  modified_ = false;
}

void DataSet::Cancel() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  buffer_.reset();
  state_ = dsBrowse;
  modified_ = false;
  Sync();
  eof_ = bof_ = index_.empty();
}

void DataSet::Delete() {
  if (state_ == dsInsert) {
    Cancel();
    return;
  }
  RequireModifiable();
  Cancel();
  RequireRecord();
  store_->Delete(index_[position_]);
  index_.erase(index_.begin() + static_cast<std::ptrdiff_t>(position_));
  seen_version_ = store_->ShapeVersion();
  if (position_ >= index_.size() && position_ > 0) --position_;
  eof_ = bof_ = index_.empty();
}

void DataSet::CheckBrowseMode() {
  if (state_ != dsEdit && state_ != dsInsert) return;
  if (modified_) {
    Post();
  } else {
    Cancel();
  }
}

bool DataSet::Find(std::string_view criterion, int skip_records, bool forward) {
  RequireActive();
  CheckBrowseMode();
  Sync();
  const Criterion parsed = Criterion::Parse(criterion, *store_);
  bool found = false;
  Scroll([&] {
    if (index_.empty()) {
      eof_ = bof_ = true;
      return;
    }
    const int64_t count = static_cast<int64_t>(index_.size());
    int64_t i = static_cast<int64_t>(position_) + (forward ? skip_records : -skip_records);
    for (; i >= 0 && i < count; i += forward ? 1 : -1) {
      if (parsed.Matches(*store_, index_[static_cast<size_t>(i)])) {
        position_ = static_cast<size_t>(i);
        eof_ = bof_ = false;
        found = true;
        return;
      }
    }
    if (forward) {
      position_ = index_.size() - 1;
      eof_ = true;
    } else {
      position_ = 0;
      bof_ = true;
    }
  });
  return found;
}

void DataSet::SetFilter(std::string_view criterion) {
  RequireActive();
  CheckBrowseMode();
  std::shared_ptr<const Criterion> parsed;
  if (!Trim(criterion).empty()) {
    parsed = std::make_shared<const Criterion>(Criterion::Parse(criterion, *store_));
  }
  filter_ = std::string(criterion);
  filter_criterion_ = std::move(parsed);
  Rebuild();
  position_ = 0;
  eof_ = bof_ = index_.empty();
}

void DataSet::SetSort(std::string_view fields) {
  RequireActive();
  CheckBrowseMode();
  std::vector<std::pair<size_t, bool>> keys;
  std::string_view rest = fields;
  while (!Trim(rest).empty()) {
    const size_t comma = rest.find(',');
    std::string item = Trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (item.empty()) continue;
    bool descending = false;
    std::string name;
    if (item.front() == '[') {
      const size_t close = item.find(']');
      if (close == std::string::npos) Fail("Invalid sort \"" + std::string(fields) + "\": \"]\" expected");
      name = item.substr(1, close - 1);
      item = Trim(item.substr(close + 1));
    } else {
      const size_t blank = item.find_last_of(" \t");
      name = item;
      if (blank != std::string::npos) {
        const std::string word = item.substr(blank + 1);
        if (SameTextAscii(word, "ASC") || SameTextAscii(word, "DESC")) {
          name = Trim(item.substr(0, blank));
          item = word;
        } else {
          item.clear();
        }
      } else {
        item.clear();
      }
    }
    if (SameTextAscii(item, "DESC")) {
      descending = true;
    } else if (!item.empty() && !SameTextAscii(item, "ASC")) {
      Fail("Invalid sort \"" + std::string(fields) + "\": ASC or DESC expected after '" + name + "'");
    }
    const Field* field = FindField(name);
    if (field == nullptr) Fail("Invalid sort \"" + std::string(fields) + "\": field '" + name + "' not found");
    keys.emplace_back(static_cast<size_t>(field->Index()), descending);
  }
  sort_ = std::string(fields);
  sort_keys_ = std::move(keys);
  Rebuild();  // keeps the current record current
}

std::unique_ptr<DataSet> DataSet::Clone() const {
  RequireActive();
  auto clone = std::make_unique<DataSet>();
  clone->store_ = store_;
  clone->field_defs_ = field_defs_;
  clone->MakeFields();
  for (size_t i = 0; i < fields_.size(); ++i) {
    clone->fields_[i]->SetSize(fields_[i]->Size());
    clone->fields_[i]->SetVisible(fields_[i]->Visible());
    clone->fields_[i]->SetReadOnly(fields_[i]->ReadOnly());
    clone->fields_[i]->SetNestedDataSet(fields_[i]->nested_);
  }
  clone->read_only_ = true;
  clone->state_ = dsBrowse;
  clone->Rebuild();
  clone->position_ = 0;
  clone->eof_ = clone->bof_ = clone->index_.empty();
  return clone;
}

Bookmark DataSet::GetBookmark() const {
  RequireRecord();
  return index_[position_];
}

bool DataSet::BookmarkValid(Bookmark bookmark) const {
  if (!Active()) return false;
  Sync();
  return std::find(index_.begin(), index_.end(), bookmark) != index_.end();
}

void DataSet::GotoBookmark(Bookmark bookmark) {
  RequireActive();
  CheckBrowseMode();
  Sync();
  const auto found = std::find(index_.begin(), index_.end(), bookmark);
  if (found == index_.end()) Fail("Record not found: the bookmark names no record of this dataset");
  Scroll([&] {
    position_ = static_cast<size_t>(found - index_.begin());
    eof_ = bof_ = false;
  });
}

size_t DataSet::HeldBytes() const {
  size_t bytes = index_.capacity() * sizeof(uint32_t);
  if (store_) bytes += store_->HeldBytes();
  return bytes;
}

}  // namespace gateway
