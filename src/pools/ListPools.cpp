#include "pools/ListPools.h"

#include "pools/GlobleParams.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

void TOrderListPool::ToXML(std::string& xml) {
  // The commas are replaced before the element is written, not in the written
  // XML: the result is the same for every separator XML carries as it is, and
  // a separator such as "&" or "<" is escaped instead of breaking the XML.
  xml = ElementXml(ReplaceAll(Text, ",", GlobleParams().Seperator));
}

void TOrderListPool::FromXML(const std::string& xml) {
  TTextNodePool::FromXML(xml);
  Text = ReplaceAll(Text, GlobleParams().Seperator, ",");
}

void TGetCaculatePropertyListPool::FromXML(const std::string& xml) {
  const XmlNode root = LoadXmlDocument(xml).DocumentElement();
  if (root.IsNull() || !root.HasChildNodes()) return;
  const std::string& separator = GlobleParams().Seperator;
  std::string list;
  for (const XmlNode& child : root.Children()) {
    if (child.NodeName() != "Property") continue;
    const std::string names = GetAttributeText(child, "Name");
    if (names.empty()) continue;
    const std::string function = GetAttributeText(child, "Type");
    const bool has_function = !Trim(function).empty();
    const int count = CountItems(names, separator);
    for (int j = 1; j <= count; ++j) {
      const std::string name = GetNthItem(names, separator, j);
      if (Trim(name).empty()) continue;
      list += ',';
      list += has_function ? function + "(" + name + ")" : name;
    }
  }
  if (!list.empty()) list.erase(0, 1);
  Text = std::move(list);
}

void TBaseStringsPool::ToXML(std::string& xml) {
  const TGlobleParams& params = GlobleParams();
  std::string joined;
  for (const std::string& item : Strings) params.AppendEncodedItem(joined, item);
  joined.erase(0, params.Seperator.size());
  xml = std::move(joined);
}

void TGetDataPropertyListPool::FromXML(const std::string& xml) {
  Strings.clear();
  const XmlNode root = LoadNormalizedXml(xml).DocumentElement();
  if (root.IsNull()) return;
  SplitToList(root.Text(), GlobleParams().Seperator, Strings);
}

}  // namespace gateway
