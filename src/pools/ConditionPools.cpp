#include "pools/ConditionPools.h"

#include <array>
#include <string_view>

#include "data/ConditionSQL.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

struct OperatorName {
  std::string_view name;
  std::string_view sql;
};

// Looked up in this order; the first match wins.
constexpr std::array<OperatorName, 10> kOperatorNames = {{
    {"EQUAL", "="},
    {"NOTEQUAL", "<>"},
    {"BIGTHAN", ">"},
    {"BIGEQUALTHAN", ">="},
    {"LESSTHAN", "<"},
    {"LESSEQUALTHAN", "<="},
    {"LIKE", "like"},
    {"IN", "in"},
    {"NOT IN", "not in"},
    {"BETWEEN", "between"},
}};

// Only Property elements whose parent Group has an element above it: a
// Property directly below the root keeps its Type as written, and so does one
// below a root that is itself named Group.
constexpr std::string_view kConvertedTypes = "//*/Group/Property/@Type";

}  // namespace

void TConditionTypeConverter::Convert(std::string& xml) {
  const XmlDocument document = LoadNormalizedXml(xml);
  const XmlNode root = document.DocumentElement();
  if (root.IsNull()) return;
  for (const XmlNode& type : document.DocumentNode().SelectNodes(kConvertedTypes)) {
    const std::string written = ReplaceAllRepeated(Trim(type.Text()), "  ", " ", true);
    for (const OperatorName& entry : kOperatorNames) {
      if (SameTextAscii(written, entry.name)) {
        type.SetText(entry.sql);
        break;
      }
    }
  }
  xml = root.Xml();
}

void TConditionPool::FromXML(const std::string& xml) {
  std::string converted = xml;
  TConditionTypeConverter::Convert(converted);
  Text = ConditionToSQL(converted);
  ConvertedXml = std::move(converted);
}

}  // namespace gateway
