#include "data/ConditionSQL.h"

#include <vector>

#include "config/RequestSettings.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

// The items of a list value, untrimmed; none for an empty text, and a
// separator at the very end adds no empty item. Unlike the plain list
// helpers, a separator that lies inside an "&stdd;" marker is not a cut: with
// the separator ";" the marker's own ";" would otherwise split an escaped item
// in two. For any other separator the items are those of SplitToList.
std::vector<std::string> SplitEncodedList(std::string_view text, std::string_view separator) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  if (separator.empty()) {
    items.emplace_back(text);
    return items;
  }
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text.substr(pos, kSeparatorMarker.size()) == kSeparatorMarker) {
      pos += kSeparatorMarker.size();
    } else if (text.substr(pos, separator.size()) == separator) {
      items.emplace_back(text.substr(start, pos - start));
      pos += separator.size();
      start = pos;
    } else {
      ++pos;
    }
  }
  if (start < text.size()) items.emplace_back(text.substr(start));
  return items;
}

// An SQL string literal: the text between apostrophes, its own doubled.
std::string QuotedLiteral(std::string_view text) { return "'" + ReplaceAll(text, "'", "''") + "'"; }

std::string DecodedLiteral(std::string_view item, std::string_view separator) {
  return QuotedLiteral(DecodeSeparator(item, separator));
}

// The predicate of one Property, or an empty text when it contributes nothing.
std::string PropertyToSQL(const XmlNode& property, const std::string& separator) {
  const std::string name = GetAttributeText(property, "Name");
  std::string type = GetAttributeText(property, "Type");
  const std::string value = GetAttributeText(property, "Value");
  if (Trim(name).empty() || Trim(type).empty()) return std::string();
  type = ReplaceAllRepeated(type, "  ", " ", true);

  if (SameTextAscii(type, "between")) {
    const std::vector<std::string> items = SplitEncodedList(value, separator);
    const std::string first = items.size() > 0 ? items[0] : std::string();
    const std::string second = items.size() > 1 ? items[1] : std::string();
    return "(" + name + " between " + DecodedLiteral(first, separator) + " and " +
           DecodedLiteral(second, separator) + ")";
  }
  if (SameTextAscii(type, "in") || SameTextAscii(type, "not in")) {
    std::string list;
    for (const std::string& item : SplitEncodedList(value, separator)) {
      AppendItem(list, ",", DecodedLiteral(Trim(item), separator));
    }
    return "(" + name + " " + type + " (" + list + "))";
  }
  // The value is taken as written (not unescaped), but its apostrophes are
  // doubled like every other literal's, so a value cannot end the literal and
  // carry SQL of its own into the statement.
  return "(" + name + " " + type + " " + QuotedLiteral(value) + ")";
}

}  // namespace

std::string ConditionToSQL(std::string_view condition_xml) {
  const XmlNode root = LoadNormalizedXml(condition_xml).DocumentElement();
  if (root.IsNull()) return std::string();
  return "(" + GroupToSQL(root) + ")";
}

std::string GroupToSQL(const XmlNode& group) {
  const std::string separator = RequestSettings().Seperator;
  std::string connective = " " + Trim(GetAttributeText(group, "Type")) + " ";
  std::string result;
  for (const XmlNode& child : group.Children()) {
    const std::string kind = child.NodeName();
    if (SameTextAscii(kind, "Property")) {
      const std::string item = PropertyToSQL(child, separator);
      if (!item.empty()) AppendItem(result, connective, item);
    } else if (SameTextAscii(kind, "Group")) {
      std::string sub = GroupToSQL(child);
      if (sub.empty()) continue;
      if (!Trim(connective).empty()) {
        sub = " (" + sub + ") ";
      } else {
        // A group without a connective runs its items together; after a
        // sub-group even the blanks between them go.
        connective.clear();
      }
      AppendItem(result, connective, sub);
    }
  }
  return result;
}

}  // namespace gateway
