// Statement parameters: one item per parameter marker of a command, with the
// type information a driver reports or a caller sets and the value bound when
// the command runs; and the parsing of named markers (":Name") into the "?"
// markers drivers take.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataValue.h"
#include "data/FieldTypes.h"

namespace gateway {

class Parameters;

class Parameter {
 public:
  explicit Parameter(Parameters* collection = nullptr) : collection_(collection) {}
  virtual ~Parameter();

  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  FieldType DataType() const { return data_type_; }
  void SetDataType(FieldType type) { data_type_ = type; }
  int Size() const { return size_; }
  void SetSize(int size) { size_ = size; }
  int NumericScale() const { return numeric_scale_; }
  void SetNumericScale(int scale) { numeric_scale_ = scale; }
  int Precision() const { return precision_; }
  void SetPrecision(int precision) { precision_ = precision; }
  ParameterDirection Direction() const { return direction_; }
  void SetDirection(ParameterDirection direction) { direction_ = direction; }
  ParameterAttributes Attributes() const { return attributes_; }
  void SetAttributes(ParameterAttributes attributes) { attributes_ = attributes; }

  const DataValue& Value() const { return value_; }
  virtual void SetValue(const DataValue& value);

  // The collection the parameter belongs to (none for a free-standing one).
  Parameters* Collection() const { return collection_; }
  // Copies name, type information and value.
  void Assign(const Parameter& other);

 private:
  Parameters* collection_;
  std::string name_;
  FieldType data_type_ = ftUnknown;
  int size_ = 0;
  int numeric_scale_ = 0;
  int precision_ = 0;
  ParameterDirection direction_ = pdInput;
  ParameterAttributes attributes_ = 0;
  DataValue value_;
};

class Parameters {
 public:
  Parameters() = default;
  virtual ~Parameters();
  Parameters(const Parameters&) = delete;
  Parameters& operator=(const Parameters&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  Parameter& Items(int index) const;  // from 0; raises when out of range
  Parameter& operator[](int index) const { return Items(index); }
  Parameter& Add(std::string name = {});
  void Clear() { items_.clear(); }
  // First parameter of that name (ASCII letter case ignored); none when absent.
  Parameter* FindParam(std::string_view name) const;
  Parameter& ParamByName(std::string_view name) const;  // raises when absent
  // Replaces the items with copies of the other list's items.
  void Assign(const Parameters& other);

  // Turns the named markers of `sql` into "?" and returns the text; with
  // `create`, the list is replaced by one parameter per marker, in order (a
  // name used twice gives two parameters).
  std::string ParseSQL(std::string_view sql, bool create);

 protected:
  // The item class of the collection; derived collections make their own.
  virtual std::unique_ptr<Parameter> CreateItem();

 private:
  std::vector<std::unique_ptr<Parameter>> items_;
};

// The marker rules: ":" starts a marker unless it stands inside a literal
// ('...'), a quoted name ("...", [...], `...`) or a comment, read as the SQL
// tokenizer (text/SqlTokens.h) reads them; "::" outside a literal stands for
// a single ":";
// the name runs up to a blank (or tab), ",", ";", ")", CR, LF, a quote or the
// end of the text; a ":" with no name after it is kept as it is. Each marker
// becomes "?" and its name is appended to `names` (when given).
std::string ParseParameterMarkers(std::string_view sql, std::vector<std::string>* names);

}  // namespace gateway
