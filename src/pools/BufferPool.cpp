#include "pools/BufferPool.h"

#include "config/ClassName.h"
#include "pools/PoolErrors.h"
#include "text/XmlText.h"

namespace gateway {

void TBufferPool::Clear() {
  for (int i = 0; i < pools_.Count(); ++i) pools_.Items(i)->Clear();
  ExtendedProperties.clear();
}

TOperateError& TBufferPool::GetError() { RaiseNotImplemented(ClassNameOf(*this), "GetError"); }

void TBufferPool::GetExtendedXML(std::string& xml) { xml.clear(); }

void TBufferPool::ToXML(std::string& xml) {
  std::string body;
  for (int i = 0; i < pools_.Count(); ++i) body += pools_.Items(i)->GetXML();
  std::string extended;
  GetExtendedXML(extended);
  body += extended;
  // Re-parsed as a whole so that the response is one well-formed document with
  // its declaration and the separator entity; text a sub-pool wrote that does
  // not parse gives the empty text.
  const XmlDocument document = LoadNormalizedXml("<Service>" + body + "</Service>");
  xml = document.DocumentElement().IsNull() ? std::string() : document.Xml();
}

void TBufferPool::FromXML(const std::string& xml) {
  const XmlDocument document = LoadNormalizedXml(xml);
  const XmlNode root = document.DocumentElement();
  if (root.IsNull()) return;
  // The element names are matched exactly (an XPath step), unlike the list's
  // case-insensitive lookup; only the first element of a name is read.
  for (int i = 0; i < pools_.Count(); ++i) {
    TBasePool* pool = pools_.Items(i);
    const XmlNode node = root.SelectSingleNode(pool->NodeName());
    if (!node.IsNull()) pool->SetXML(node.Xml());
  }
  const XmlNode extended = root.SelectSingleNode("ExtendedProperties");
  if (!extended.IsNull()) ExtendedProperties = extended.Xml();
}

}  // namespace gateway
