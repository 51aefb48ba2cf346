// TPropertyInfo: the metadata of one business-object property (the name by
// which requests refer to it, the database column behind it, its type, size,
// bounds, allowed values, default and flags), read from the attributes of one
// "Property" element of the object's metadata file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/PropertyType.h"
#include "text/XmlDom.h"

namespace gateway {

class TPropertyInfo {
 public:
  // A property in its reset state.
  TPropertyInfo() { Reset(); }
  TPropertyInfo(const TPropertyInfo&) = default;
  TPropertyInfo& operator=(const TPropertyInfo&) = default;
  // Descendants may be created by a TPropertyInfoList and deleted through it.
  virtual ~TPropertyInfo() = default;

  // Empties every text and ValueList, clears the flags, PropertyType ptNone,
  // Size 0, Publish true, Update "Y".
  void Reset();

  // Resets the property, then reads the attributes of the text's root element
  // (names compared without regard to ASCII case; unknown ones ignored). Text
  // without a root element leaves the property reset. A "Size" that is not an
  // integer raises gateway::Exception; the attributes before it stay read.
  void LoadFromXML(std::string_view text);
  // The same, from an element already parsed.
  void LoadFromElement(const XmlNode& element);

  // The property's "Property" row of the description table: ID, then Name,
  // type letter, Size, Required, Desc, whether it may be changed, Min, Max,
  // the ValueList joined by ";", Default and Field, each appended with the
  // request separator and escaped for it (ID is not). Empty when Publish is
  // false. Reads the global parameters' separator.
  std::string GetDescriptionRow() const;

  // 255 for a string property, otherwise Size.
  std::int32_t InternalSize() const { return PropertyType == TPropertyType::ptString ? 255 : Size; }

  // The default value. Setting a value that differs from the current one
  // stores it and sets HasDefault; an equal value changes nothing.
  const std::string& Default() const { return default_; }
  void SetDefault(std::string_view value);

  bool Required = false;
  bool ReadOnly = false;
  bool IsKey = false;
  std::int32_t Size = 0;
  std::string Name;
  std::string Desc;
  std::string Max;
  std::string Field;  // database column behind the property
  std::string Min;
  std::string ID;  // the name by which requests refer to the property
  TPropertyType PropertyType = TPropertyType::ptNone;
  std::vector<std::string> ValueList;  // allowed values
  std::string Table;
  bool Publish = true;  // shown in the description table
  // Factory code the property belongs to; empty for every factory. Reset
  // leaves it alone.
  std::string Company;
  bool HasDefault = false;
  // One character (a whole UTF-8 sequence), "Y" unless the metadata says otherwise.
  std::string Update = "Y";

 private:
  std::string default_;
};

// "<name>text</name>" for the rows of the description table. The text is
// escaped for XML ("&", "<", ">") except for the separator markers "&stdd;",
// which stay entity references, so an item holding "&" or "<" cannot break
// the document the rows are embedded in.
std::string DescriptionElement(std::string_view name, std::string_view text);

}  // namespace gateway
