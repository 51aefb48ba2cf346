#include "gatewayhost/HostXml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>

namespace gateway::host {

namespace {

void IgnoreError(void*, xmlErrorPtr) {}

const char* Chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

// Appends the text below `node` (its children when it is an element or an
// attribute). An entity reference is kept as written: nothing is expanded,
// so no entity can make the text grow.
void AppendText(const xmlNode* node, std::string& text) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    switch (child->type) {
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (child->content != nullptr) text += Chars(child->content);
        break;
      case XML_ENTITY_REF_NODE:
        text += "&";
        text += Chars(child->name);
        text += ";";
        break;
      case XML_ELEMENT_NODE:
        AppendText(child, text);
        break;
      default:
        break;
    }
  }
}

}  // namespace

std::string XmlElement::Name() const { return node_ != nullptr ? Chars(node_->name) : ""; }

std::string XmlElement::Text() const {
  std::string text;
  if (node_ != nullptr) AppendText(node_, text);
  return text;
}

std::string XmlElement::Attribute(std::string_view name) const {
  std::string value;
  if (node_ == nullptr) return value;
  for (const xmlAttr* attribute = node_->properties; attribute != nullptr;
       attribute = attribute->next) {
    if (attribute->ns == nullptr && name == Chars(attribute->name)) {
      AppendText(reinterpret_cast<const xmlNode*>(attribute), value);
      break;
    }
  }
  return value;
}

std::vector<XmlElement> XmlElement::Children() const {
  std::vector<XmlElement> children;
  if (node_ == nullptr) return children;
  for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) children.emplace_back(child);
  }
  return children;
}

XmlElement XmlElement::Child(std::string_view name) const {
  for (const XmlElement& child : Children()) {
    if (child.Name() == name) return child;
  }
  return XmlElement();
}

XmlText::XmlText(std::string_view text, bool recover) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return;
  std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(xmlNewParserCtxt(),
                                                                       xmlFreeParserCtxt);
  if (context == nullptr) return;
  context->sax->serror = IgnoreError;
  // No XML_PARSE_NOENT: entities stay references, and external ones are never
  // fetched; no network either.
  int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_IGNORE_ENC;
  if (recover) options |= XML_PARSE_RECOVER;
  doc_ = xmlCtxtReadMemory(context.get(), text.data(), static_cast<int>(text.size()), nullptr,
                           "UTF-8", options);
  if (doc_ != nullptr && !recover && !context->wellFormed) {
    xmlFreeDoc(doc_);
    doc_ = nullptr;
  }
}

XmlText::~XmlText() {
  if (doc_ != nullptr) xmlFreeDoc(doc_);
}

XmlElement XmlText::Root() const {
  return XmlElement(doc_ != nullptr ? xmlDocGetRootElement(doc_) : nullptr);
}

}  // namespace gateway::host
