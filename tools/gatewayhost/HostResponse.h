// What a response says, read from its XML: the tables of its DataSets, the
// description a Help operator gives, any other element's text, and its
// Status and Error. Lists are cut at the request's separator, with the marker
// "&stdd;" read back as the separator it stands for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gateway::host {

// Column names and rows of values. Rows may hold fewer or more values than
// there are names.
struct TextTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

// A business object's description (the Help operator's Object element).
struct ObjectDescription {
  std::string id, name, desc;
  std::vector<std::string> memos;
  // Each method; one the object supports in parts lists them: "SetData (Insert, Update)".
  std::vector<std::string> methods;
  // Captions as the header, one row per property.
  TextTable properties;
};

// One element of the response other than Status and Error, in document order.
struct ResponsePart {
  enum class Kind { kDataSet, kObject, kText };
  Kind kind = Kind::kText;
  std::string name;          // the element's name (for a DataSet: "Data")
  TextTable table;           // kDataSet
  ObjectDescription object;  // kObject
  std::string text;          // kText
};

struct ResponseContent {
  // False when the response is not XML (then nothing else is filled).
  bool is_xml = false;
  std::vector<ResponsePart> parts;
  std::optional<std::string> status;
  std::optional<std::string> error;

  // True when the response reports success: Status 0.
  bool Succeeded() const;
};

// The separator a request sets (its root's Seperator element), or empty text
// when it sets none or is not XML, as the module reads it.
std::string RequestSeparator(std::string_view request);

// The items of a list text: cut at each separator outside an "&stdd;" marker,
// each marker read back as the separator. With an empty separator the text is
// one item, its markers removed.
std::vector<std::string> SplitList(std::string_view text, std::string_view separator);

// Reads a response (UTF-8 XML, a Service element) with the request's separator.
ResponseContent ReadResponse(std::string_view xml, std::string_view separator);

}  // namespace gateway::host
