#include "pools/TextPools.h"

#include "pools/PoolErrors.h"
#include "text/XmlText.h"

namespace gateway {

void TTextNodePool::ToXML(std::string& xml) { xml = ElementXml(Text); }

std::string TTextNodePool::ElementXml(const std::string& text) const {
  if (NodeName().empty()) throw EXmlNode("the nodeName is required !", -9005);
  // The element is created by name rather than parsed from "<name/>": a name
  // such as `a b="1"` would otherwise parse into an element with an attribute
  // instead of being refused.
  XmlDocument document = NewXmlDocument();
  XmlNode element = document.DocumentNode().AppendChild(document.CreateElement(NodeName()));
  element.SetText(text);
  return element.Xml();
}

void TTextNodePool::FromXML(const std::string& xml) {
  const XmlNode root = LoadXmlDocument(xml).DocumentElement();
  if (root.IsNull()) return;
  Text = root.Text();
  SetNodeName(root.NodeName());
}

}  // namespace gateway
