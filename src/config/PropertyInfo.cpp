#include "config/PropertyInfo.h"

#include "config/IntegerText.h"
#include "config/RequestSettings.h"
#include "gateway/Exception.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

bool IsYes(std::string_view value) { return SameTextAscii(value, "Y"); }

// The first character of a UTF-8 text with all its bytes.
std::string FirstCharacter(std::string_view text) {
  if (text.empty()) return std::string();
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 1;
  if (lead >= 0xF0) {
    length = 4;
  } else if (lead >= 0xE0) {
    length = 3;
  } else if (lead >= 0xC0) {
    length = 2;
  }
  return std::string(text.substr(0, length));
}

std::int32_t SizeFromText(const std::string& value) {
  // Blanks around the number are tolerated, as metadata editors leave them.
  const std::optional<int> size = ParseIntegerText(Trim(value));
  if (!size) throw Exception("'" + value + "' is not a valid integer value for the attribute Size");
  return *size;
}

}  // namespace

void TPropertyInfo::Reset() {
  ID.clear();
  Name.clear();
  Field.clear();
  Desc.clear();
  default_.clear();
  Min.clear();
  Max.clear();
  Table.clear();
  IsKey = false;
  HasDefault = false;
  Required = false;
  ReadOnly = false;
  PropertyType = TPropertyType::ptNone;
  Size = 0;
  ValueList.clear();
  Publish = true;
  Update = "Y";
}

void TPropertyInfo::SetDefault(std::string_view value) {
  if (value == default_) return;
  default_ = value;
  HasDefault = true;
}

void TPropertyInfo::LoadFromXML(std::string_view text) {
  LoadFromElement(LoadNormalizedXml(text).DocumentElement());
}

void TPropertyInfo::LoadFromElement(const XmlNode& element) {
  Reset();
  if (element.IsNull()) return;
  for (const auto& [name, value] : element.Attributes()) {
    const std::string key = UpperCaseAscii(name);
    if (key == "ID") {
      ID = value;
    } else if (key == "NAME") {
      Name = value;
    } else if (key == "FIELD") {
      Field = value;
    } else if (key == "TYPE") {
      PropertyType = TypeFromLetter(value);
    } else if (key == "SIZE") {
      Size = SizeFromText(value);
    } else if (key == "REQUIRED") {
      Required = IsYes(value);
    } else if (key == "DESC") {
      Desc = value;
    } else if (key == "READONLY") {
      ReadOnly = IsYes(value);
    } else if (key == "MIN") {
      Min = value;
    } else if (key == "MAX") {
      Max = value;
    } else if (key == "VALUELIST") {
      SplitToList(value, ";", ValueList);
    } else if (key == "ISKEY") {
      IsKey = IsYes(value);
    } else if (key == "TABLE") {
      Table = value;
    } else if (key == "DEFAULT") {
      SetDefault(value);
      HasDefault = true;
    } else if (key == "PUBLISH") {
      Publish = !SameTextAscii(value, "N");
    } else if (key == "COMPANY") {
      Company = value;
    } else if (key == "UPDATE") {
      Update = value.empty() ? std::string("Y") : FirstCharacter(value);
    }
  }
}

std::string TPropertyInfo::GetDescriptionRow() const {
  if (!Publish) return std::string();
  const TRequestSettings& params = RequestSettings();
  std::string values;
  for (const std::string& value : ValueList) AppendItem(values, ";", value);

  std::string row = ID;
  params.AppendEncodedItem(row, Name);
  params.AppendEncodedItem(row, TypeToLetter(PropertyType));
  params.AppendEncodedItem(row, std::to_string(Size));
  params.AppendEncodedItem(row, Required ? "Y" : "N");
  params.AppendEncodedItem(row, Desc);
  params.AppendEncodedItem(row, ReadOnly ? "N" : "Y");
  params.AppendEncodedItem(row, Min);
  params.AppendEncodedItem(row, Max);
  params.AppendEncodedItem(row, values);
  params.AppendEncodedItem(row, default_);
  params.AppendEncodedItem(row, Field);
  return DescriptionElement("Property", row);
}

std::string DescriptionElement(std::string_view name, std::string_view text) {
  std::string result;
  result.reserve(text.size() + 2 * name.size() + 16);
  result.append("<").append(name).append(">");
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&' && text.substr(i, kSeparatorMarker.size()) == kSeparatorMarker) {
      result.append(kSeparatorMarker);
      i += kSeparatorMarker.size() - 1;
    } else if (c == '&') {
      result.append("&amp;");
    } else if (c == '<') {
      result.append("&lt;");
    } else if (c == '>') {
      result.append("&gt;");
    } else {
      result.push_back(c);
    }
  }
  result.append("</").append(name).append(">");
  return result;
}

}  // namespace gateway
