// An open result held in memory with a cursor over it (a client-side cursor):
// fields with typed getters and setters, first/next/prior/last, append, edit,
// post, cancel and delete, find, filter, sort, bookmarks and read-only clones
// that share the data. Query derives from it to fill it from a database;
// CreateDataSet makes an empty one in memory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/DateTime.h"
#include "data/Criterion.h"
#include "data/DataValue.h"
#include "data/FieldTypes.h"
#include "data/RecordStore.h"

namespace gateway {

class DataSet;

enum DataSetState : uint8_t { dsInactive, dsBrowse, dsEdit, dsInsert };

// Names one record of a result; valid in the dataset that gave it and in its clones.
using Bookmark = uint32_t;

// One column of an open dataset, read and written at the current record. Fields
// belong to their dataset and live while it is open.
class Field {
 public:
  Field(DataSet& owner, int index, const FieldDef& def);
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  const std::string& FieldName() const { return name_; }
  FieldType DataType() const { return type_; }
  int Index() const { return index_; }  // position among the dataset's fields, from 0
  int FieldNo() const { return index_ + 1; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  int Precision() const { return precision_; }
  int NumericScale() const { return scale_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool Required() const { return required_; }
  DataSet& GetDataSet() const { return owner_; }

  // Reading the current record. A null value reads as "", 0, false and the zero
  // date (30 December 1899); a value that cannot be read as the wanted kind
  // raises EDatabaseError naming the field.
  bool IsNull() const;
  // True when the database's value did not fit the field's type and is kept as
  // its text (AsString gives it unchanged).
  bool HoldsRawText() const;
  std::string AsString() const;
  int32_t AsInteger() const;
  int64_t AsLargeInt() const;
  double AsFloat() const;
  bool AsBoolean() const;
  DateTime AsDateTime() const;
  DataValue Value() const;

  // Writing, in edit or insert state. A value the field's type cannot hold
  // raises EDatabaseError and leaves the field as it was.
  void SetAsString(std::string_view value);
  void SetAsInteger(int32_t value) { SetAsLargeInt(value); }
  void SetAsLargeInt(int64_t value);
  void SetAsFloat(double value);
  void SetAsBoolean(bool value);
  void SetAsDateTime(const DateTime& value);
  void SetValue(const DataValue& value);
  void Clear();

  // The nested dataset of a dataset-typed field (none for other fields).
  DataSet* NestedDataSet() const { return nested_.get(); }
  void SetNestedDataSet(std::shared_ptr<DataSet> nested) { nested_ = std::move(nested); }

 private:
  friend class DataSet;
  template <class Write>
  void WriteChecked(Write write, const char* kind);

  DataSet& owner_;
  int index_;
  std::string name_;
  FieldType type_;
  int size_;
  int precision_;
  int scale_;
  bool visible_;
  bool read_only_;
  bool required_;
  std::shared_ptr<DataSet> nested_;
};

class DataSet {
 public:
  DataSet();
  virtual ~DataSet();
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  // Opening and closing. Open runs DoBeforeOpen, then InternalOpen.
  void Open();
  void Close();
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool active) { active ? Open() : Close(); }
  // Makes the dataset an empty, open, in-memory result with these fields.
  void CreateDataSet(std::vector<FieldDef> defs);

  // Field definitions as read when the dataset opened, and the fields made from them.
  const std::vector<FieldDef>& FieldDefs() const { return field_defs_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  Field& Fields(int index) const;
  // Looks a field up by name without regard to ASCII letter case.
  Field* FindField(std::string_view name) const;
  Field& FieldByName(std::string_view name) const;  // raises when there is no such field

  // Cursor. Eof (Bof) turns true when the dataset is empty or a move went past
  // the last (first) record; the cursor then stays on that record.
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);  // returns the distance moved
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() const;
  int RecordCount() const;
  int RecNo() const;  // 1-based position of the current record; 0 when there is none
  void SetRecNo(int record_number);

  // Editing. Changes stay in memory; they are never written back to a database.
  DataSetState State() const { return state_; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool CanModify() const { return Active() && !read_only_; }
  bool Modified() const { return modified_; }
  void Append();  // a new record that joins the end of the view when posted
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Leaves edit or insert state: posts a modified record, cancels an untouched one.
  void CheckBrowseMode();

  // Searching and ordering (criterion syntax: see Criterion.h).
  // Moves to the first record from the current one (skipping `skip_records`,
  // searching forward or backward) that matches; when none does the cursor ends
  // at the end (Eof, or Bof backward) and the result is false.
  bool Find(std::string_view criterion, int skip_records = 0, bool forward = true);
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string_view criterion);  // empty: every record
  const std::string& Sort() const { return sort_; }
  // Comma-separated field names, each optionally bracketed and followed by ASC or
  // DESC; empty: the order of the result. The current record stays current.
  void SetSort(std::string_view fields);
  // A read-only dataset over the same data (edits made here show in it), with
  // no filter and no sort, positioned on its first record.
  std::unique_ptr<DataSet> Clone() const;
  Bookmark GetBookmark() const;
  void GotoBookmark(Bookmark bookmark);
  bool BookmarkValid(Bookmark bookmark) const;

  // Called around every cursor move.
  std::function<void(DataSet&)> BeforeScroll;
  std::function<void(DataSet&)> AfterScroll;

  // Bytes held by the result and this view of it.
  size_t HeldBytes() const;

 protected:
  virtual void DoBeforeOpen() {}
  // Obtains the result (OpenStore), reads the field definitions (InitFieldDefs),
  // makes the fields and moves to the first record.
  virtual void InternalOpen();
  virtual void InternalClose() {}
  // The result to open; the base has none and raises.
  virtual std::shared_ptr<RecordStore> OpenStore();
  // Copies the definitions from the result into FieldDefs; derived classes may
  // adjust sizes and attributes afterwards (the data types are the result's).
  virtual void InitFieldDefs();
  std::vector<FieldDef>& MutableFieldDefs() { return field_defs_; }
  // Lets a derived class adjust the text a field reads (AsString and Value).
  virtual void AdjustFieldText(const Field& field, std::string& text) const;

 private:
  friend class Field;

  struct Cell {
    const Column* column;
    uint32_t row;
  };
  // Where the field's value of the current record lies; column is null when
  // there is no current record.
  Cell ReadCell(int field) const;
  Column& WriteColumn(const Field& field);
  void Sync() const;
  void Rebuild() const;
  void ApplySort() const;
  void Scroll(const std::function<void()>& move);
  void RequireActive() const;
  void RequireRecord() const;
  void RequireModifiable() const;
  void MakeFields();

  std::shared_ptr<RecordStore> store_;
  std::unique_ptr<RecordStore> buffer_;  // the record being edited or appended
  mutable std::vector<uint32_t> index_;  // the rows of this view, in order
  mutable uint64_t seen_version_ = 0;
  mutable size_t position_ = 0;
  mutable bool eof_ = true;
  mutable bool bof_ = true;
  bool modified_ = false;
  bool read_only_ = false;
  DataSetState state_ = dsInactive;
  std::vector<FieldDef> field_defs_;
  std::vector<std::unique_ptr<Field>> fields_;
  std::string filter_;
  std::shared_ptr<const Criterion> filter_criterion_;
  std::string sort_;
  std::vector<std::pair<size_t, bool>> sort_keys_;  // column, descending
};

}  // namespace gateway
