#include "pools/BufferPool.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <unordered_map>
#include <vector>

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

namespace {

// Stands in the document for a sub-pool that writes its part of the response
// itself. The element name carries a number drawn per process, so no text a
// sub-pool writes holds it by chance.
std::string Placeholder(std::size_t index) {
  static const std::string tag = [] {
    std::random_device random;
    const uint64_t value = (static_cast<uint64_t>(random()) << 32) ^ random();
    char text[32];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return std::string("gateway-part-") + text + "-";
  }();
  return "<" + tag + std::to_string(index) + "/>";
}

// The response as one well-formed document with its declaration and the
// separator entity: the sub-pools' texts re-parsed as a whole and written
// again. Text a sub-pool wrote that does not parse gives the empty text.
std::string WholeDocument(const std::string& body) {
  const XmlDocument document = LoadNormalizedXml("<Service>" + body + "</Service>");
  return document.DocumentElement().IsNull() ? std::string() : document.Xml();
}

}  // namespace

void TBufferPool::ToXML(std::string& xml) {
  // A sub-pool able to write its own part (the rows of a result) is not put
  // through the document: what the document would make of it is what it
  // writes, straight into the response, once. Everything else still goes
  // through the document; the parts take the places of their placeholders.
  std::vector<std::string> texts(static_cast<size_t>(pools_.Count()));
  std::vector<TBasePool*> parts;
  std::string body;
  for (int i = 0; i < pools_.Count(); ++i) {
    TBasePool* pool = pools_.Items(i);
    if (pool->CanAppendResponseXML()) {
      body += Placeholder(parts.size());
      parts.push_back(pool);
    } else {
      texts[static_cast<size_t>(i)] = pool->GetXML();
      body += texts[static_cast<size_t>(i)];
    }
  }
  std::string extended;
  GetExtendedXML(extended);
  body += extended;
  if (parts.empty()) {
    xml = WholeDocument(body);
    return;
  }

  const std::string frame = WholeDocument(body);
  body.clear();
  xml.clear();
  bool written = !frame.empty();
  size_t from = 0;
  for (size_t p = 0; written && p < parts.size(); ++p) {
    const std::string placeholder = Placeholder(p);
    const size_t at = frame.find(placeholder, from);
    if (at == std::string::npos) {
      written = false;
      break;
    }
    xml.append(frame, from, at - from);
    written = parts[p]->AppendResponseXML(xml);
    from = at + placeholder.size();
  }
  if (written) {
    xml.append(frame, from, std::string::npos);
    return;
  }

  // A part that cannot write itself: the whole response through the document.
  xml.clear();
  xml.shrink_to_fit();
  size_t p = 0;
  for (int i = 0; i < pools_.Count(); ++i) {
    const bool part = p < parts.size() && parts[p] == pools_.Items(i);
    body += part ? pools_.Items(i)->GetXML() : texts[static_cast<size_t>(i)];
    if (part) ++p;
  }
  body += extended;
  xml = WholeDocument(body);
}

void TBufferPool::FromXML(const std::string& xml) {
  const XmlDocument document = LoadNormalizedXml(xml);
  const XmlNode root = document.DocumentElement();
  if (!root.IsNull()) ReadElements(root);
}

void TBufferPool::ReadElements(const XmlNode& root) {
  // The element names are matched exactly, unlike the list's case-insensitive
  // lookup; only the first element of a name is read.
  std::unordered_map<std::string, XmlNode> first_of_name;
  for (const XmlNode& child : root.Children()) {
    if (child.IsElement()) first_of_name.try_emplace(child.NodeName(), child);
  }
  for (int i = 0; i < pools_.Count(); ++i) {
    TBasePool* pool = pools_.Items(i);
    const auto found = first_of_name.find(pool->NodeName());
    if (found != first_of_name.end()) pool->SetXML(found->second.Xml());
  }
  const auto extended = first_of_name.find("ExtendedProperties");
  if (extended != first_of_name.end()) ExtendedProperties = extended->second.Xml();
}

}  // namespace gateway
