#include "text/XmlDom.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/valid.h>
#include <libxml/xmlsave.h>
#include <libxml/xmlstring.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <climits>
#include <new>
#include <string>

#include "gateway/Exception.h"
#include "text/TextCase.h"

namespace gateway {

namespace xml_internal {

// Owns one libxml2 document together with every node of it that is (or once
// was) outside its tree: created nodes not yet appended and removed nodes.
// Node handles share ownership of the holder, so all of them stay valid until
// the last handle is gone.
class DocumentHolder {
 public:
  explicit DocumentHolder(xmlDocPtr doc) : doc_(doc) {}
  DocumentHolder(const DocumentHolder&) = delete;
  DocumentHolder& operator=(const DocumentHolder&) = delete;
  ~DocumentHolder();

  xmlDocPtr Doc() const { return doc_; }
  void Track(xmlNodePtr node) { detached_.push_back(node); }

 private:
  xmlDocPtr doc_;
  std::vector<xmlNodePtr> detached_;
};

DocumentHolder::~DocumentHolder() {
  std::sort(detached_.begin(), detached_.end());
  detached_.erase(std::unique(detached_.begin(), detached_.end()), detached_.end());
  // Decide which tracked nodes are still detached before freeing any of them:
  // a tracked node that was appended again is freed with its new parent, and
  // reading its parent pointer after that parent is gone would be too late.
  std::vector<xmlNodePtr> roots;
  for (xmlNodePtr node : detached_) {
    if (node->parent == nullptr) roots.push_back(node);
  }
  for (xmlNodePtr node : roots) {
    if (node->type == XML_ATTRIBUTE_NODE) {
      xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
    } else {
      xmlFreeNode(node);
    }
  }
  xmlFreeDoc(doc_);
}

}  // namespace xml_internal

using xml_internal::DocumentHolder;

namespace {

const xmlChar* Chars(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

// Takes over a string libxml2 allocated.
std::string TakeString(xmlChar* text) {
  if (text == nullptr) return std::string();
  std::string result(reinterpret_cast<const char*>(text));
  xmlFree(text);
  return result;
}

// libxml2 functions take NUL-terminated strings; a text with an inner NUL
// would be cut silently, so it is refused.
std::string ToCString(std::string_view text, const char* what) {
  if (text.find('\0') != std::string_view::npos) {
    throw Exception(std::string("The ") + what + " contains a NUL character!");
  }
  return std::string(text);
}

// Text XML 1.0 cannot carry (invalid UTF-8, control characters other than
// tab and line breaks) would be written out raw by libxml2 and make the whole
// document unreadable for its receiver, so it is refused here.
std::string CarriableText(std::string_view text) {
  std::string value = ToCString(text, "text");
  for (unsigned char c : value) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      throw Exception("The text holds a control character XML cannot carry (code " +
                      std::to_string(c) + ")!");
    }
  }
  if (xmlCheckUTF8(reinterpret_cast<const xmlChar*>(value.c_str())) == 0) {
    throw Exception("The text is not valid UTF-8!");
  }
  return value;
}

void IgnoreStructuredError(void*, xmlErrorPtr) {}

void InitLibxml() {
  static const bool initialised = (xmlInitParser(), true);
  (void)initialised;
}

xmlDocPtr NewEmptyDoc() {
  InitLibxml();
  xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
  if (doc == nullptr) throw std::bad_alloc();
  return doc;
}

// --- Hardened parsing -----------------------------------------------------

// Keeps only internal entity declarations. An external entity that is never
// declared can never be loaded: a reference to it counts as undeclared. Hooking
// the lookup (getEntity) instead is not enough, since when it finds nothing
// the parser falls back to xmlSAX2GetEntity, which loads an external parsed
// entity itself whenever entities are substituted.
void InternalEntityDeclOnly(void* context, const xmlChar* name, int type, const xmlChar* public_id,
                            const xmlChar* system_id, xmlChar* content) {
  if (type == XML_INTERNAL_GENERAL_ENTITY || type == XML_INTERNAL_PARAMETER_ENTITY) {
    xmlSAX2EntityDecl(context, name, type, public_id, system_id, content);
  }
}

void IgnoreUnparsedEntityDecl(void*, const xmlChar*, const xmlChar*, const xmlChar*,
                              const xmlChar*) {}

xmlParserInputPtr RefuseResolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

void RefuseExternalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) {}

bool IsBlankText(xmlNodePtr node) {
  if (node->type != XML_TEXT_NODE || node->content == nullptr) return false;
  for (const xmlChar* p = node->content; *p != 0; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') return false;
  }
  return true;
}

// Drops whitespace-only text between elements, as a DOM that does not
// preserve white space does, so a pretty-printed request reads exactly like a
// compact one. Done here rather than with XML_PARSE_NOBLANKS, whose heuristics
// keep or drop blanks depending on what surrounds them: the rule is "drop a
// whitespace-only text whose parent also has element children", so a lone
// blank that is an element's whole content (a separator " ") is kept, and so
// is everything under xml:space="preserve".
void DropWhitespaceBetweenElements(xmlNodePtr root) {
  std::vector<xmlNodePtr> pending{root};
  while (!pending.empty()) {
    xmlNodePtr element = pending.back();
    pending.pop_back();
    bool has_element_child = false;
    for (xmlNodePtr child = element->children; child != nullptr; child = child->next) {
      if (child->type == XML_ELEMENT_NODE) {
        has_element_child = true;
        pending.push_back(child);
      }
    }
    if (!has_element_child || xmlNodeGetSpacePreserve(element) == 1) continue;
    xmlNodePtr child = element->children;
    while (child != nullptr) {
      xmlNodePtr next = child->next;
      if (IsBlankText(child)) {
        xmlUnlinkNode(child);
        xmlFreeNode(child);
      }
      child = next;
    }
  }
}

// Parses UTF-8 text through a private parser context; returns null when the
// text is not well-formed. Entities are substituted while parsing
// (XML_PARSE_NOENT), so the tree holds no entity-reference nodes that would
// expand again on every text read, and libxml2's amplification checks (left
// on: no XML_PARSE_HUGE) stop exponential or quadratic expansion with a
// fatal error, which leaves the document empty.
// What the parser reported about a text it could not read: the first error,
// with its line ("line 3: Opening and ending tag mismatch: a line 1 and b").
std::string ParseErrorOf(xmlParserCtxtPtr ctxt) {
  const xmlError* error = xmlCtxtGetLastError(ctxt);
  if (error == nullptr || error->message == nullptr) return "the text is not well-formed XML";
  std::string message = Trim(error->message);
  if (error->line > 0) message = "line " + std::to_string(error->line) + ": " + message;
  return message;
}

xmlDocPtr ParseHardened(std::string_view text, std::string* reason) {
  InitLibxml();
  if (text.empty()) {
    if (reason != nullptr) *reason = "the text is empty";
    return nullptr;
  }
  if (text.size() > static_cast<std::size_t>(INT_MAX)) {
    if (reason != nullptr) *reason = "the text is too long for the XML parser";
    return nullptr;
  }
  std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(),
                                                                    xmlFreeParserCtxt);
  if (ctxt == nullptr) throw std::bad_alloc();
  xmlSAXHandlerPtr sax = ctxt->sax;
  sax->entityDecl = InternalEntityDeclOnly;
  sax->unparsedEntityDecl = IgnoreUnparsedEntityDecl;
  sax->resolveEntity = RefuseResolveEntity;
  sax->externalSubset = RefuseExternalSubset;
  sax->serror = IgnoreStructuredError;
  const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                      XML_PARSE_IGNORE_ENC;
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt.get(), text.data(), static_cast<int>(text.size()), nullptr,
                                    "UTF-8", options);
  if (doc == nullptr || !ctxt->wellFormed) {
    if (reason != nullptr) *reason = ParseErrorOf(ctxt.get());
    xmlFreeDoc(doc);
    return nullptr;
  }
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (root != nullptr) DropWhitespaceBetweenElements(root);
  return doc;
}

// --- Serialising ----------------------------------------------------------

// libxml2's own memory buffer (xmlBufferCreate) grows by exactly what each
// chunk needs, copying everything written so far every time: the writing of
// a large document took time growing with the square of its size. The text
// goes into a string of our own instead, which grows geometrically.
int AppendToString(void* context, const char* bytes, int length) {
  try {
    static_cast<std::string*>(context)->append(bytes, static_cast<std::size_t>(length));
    return length;
  } catch (...) {
    return -1;
  }
}

std::string Serialise(xmlDocPtr doc, xmlNodePtr node) {
  std::string text;
  const int options = XML_SAVE_AS_XML | (node == nullptr ? 0 : XML_SAVE_NO_DECL);
  xmlSaveCtxtPtr save = xmlSaveToIO(AppendToString, nullptr, &text, "UTF-8", options);
  if (save == nullptr) throw std::bad_alloc();
  if (node == nullptr) {
    xmlSaveDoc(save, doc);
  } else {
    xmlSaveTree(save, node);
  }
  if (xmlSaveClose(save) < 0) throw Exception("The XML text could not be written!");
  return text;
}

std::string DocumentXml(xmlDocPtr doc) {
  if (doc->children == nullptr) return std::string();
  return Serialise(doc, nullptr);
}

// --- Tree changes ---------------------------------------------------------

std::string QualifiedName(xmlNodePtr node) {
  std::string name = node->name != nullptr ? reinterpret_cast<const char*>(node->name) : "";
  if (node->ns != nullptr && node->ns->prefix != nullptr) {
    name = std::string(reinterpret_cast<const char*>(node->ns->prefix)) + ":" + name;
  }
  return name;
}

xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view name) {
  for (xmlAttrPtr attr = element->properties; attr != nullptr; attr = attr->next) {
    if (QualifiedName(reinterpret_cast<xmlNodePtr>(attr)) == name) return attr;
  }
  return nullptr;
}

// Links a node as the last child by hand: xmlAddChild would merge a text node
// into a neighbouring text and free it, which would leave handles dangling.
void LinkLastChild(xmlNodePtr parent, xmlNodePtr child) {
  child->parent = parent;
  child->next = nullptr;
  child->prev = parent->last;
  if (parent->last != nullptr) {
    parent->last->next = child;
  } else {
    parent->children = child;
  }
  parent->last = child;
}

void LinkLastAttribute(xmlNodePtr element, xmlAttrPtr attr) {
  attr->parent = element;
  attr->next = nullptr;
  attr->prev = nullptr;
  if (element->properties == nullptr) {
    element->properties = attr;
    return;
  }
  xmlAttrPtr last = element->properties;
  while (last->next != nullptr) last = last->next;
  last->next = attr;
  attr->prev = last;
}

// Replaces the children of an element or attribute by one text node (none
// for an empty text). The old children are unlinked, not freed, since handles
// may still point at them.
void ReplaceChildrenByText(DocumentHolder& holder, xmlNodePtr node, const std::string& value) {
  auto* attr = node->type == XML_ATTRIBUTE_NODE ? reinterpret_cast<xmlAttrPtr>(node) : nullptr;
  // An ID attribute is registered under its value; re-register it under the
  // new one, as xmlSetProp does, so the ID table never points at a stale value.
  const bool is_id = attr != nullptr && attr->atype == XML_ATTRIBUTE_ID;
  if (is_id) xmlRemoveID(node->doc, attr);
  while (node->children != nullptr) {
    xmlNodePtr child = node->children;
    xmlUnlinkNode(child);
    holder.Track(child);
  }
  if (!value.empty()) {
    xmlNodePtr text_node = xmlNewDocText(node->doc, Chars(value));
    if (text_node == nullptr) throw std::bad_alloc();
    LinkLastChild(node, text_node);
  }
  if (is_id) xmlAddID(nullptr, node->doc, Chars(value), attr);
}

bool IsTextLike(xmlElementType type) {
  return type == XML_TEXT_NODE || type == XML_CDATA_SECTION_NODE || type == XML_COMMENT_NODE ||
         type == XML_PI_NODE;
}

bool CanBeChild(xmlElementType type) {
  return type == XML_ELEMENT_NODE || type == XML_ENTITY_REF_NODE || IsTextLike(type);
}

void CheckName(const std::string& name, const char* what) {
  if (name.empty() || xmlValidateName(Chars(name), 0) != 0) {
    throw Exception(std::string("The XML ") + what + " name [" + name + "] is invalid!");
  }
}

}  // namespace

// --- XmlNode ----------------------------------------------------------------

_xmlNode* XmlNode::Checked() const {
  if (node_ == nullptr) throw Exception("The XML node is not assigned!");
  return node_;
}

std::string XmlNode::NodeName() const {
  xmlNodePtr node = Checked();
  switch (node->type) {
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
      return "#document";
    case XML_DOCUMENT_FRAG_NODE:
      return "#document-fragment";
    default:
      return QualifiedName(node);
  }
}

bool XmlNode::IsElement() const { return Checked()->type == XML_ELEMENT_NODE; }

std::string XmlNode::Text() const { return TakeString(xmlNodeGetContent(Checked())); }

void XmlNode::SetText(std::string_view text) const {
  xmlNodePtr node = Checked();
  if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) {
    ReplaceChildrenByText(*holder_, node, CarriableText(text));
  } else if (IsTextLike(node->type)) {
    xmlNodeSetContent(node, Chars(CarriableText(text)));
  } else {
    throw Exception("The text of a node of this kind cannot be set: " + NodeName());
  }
}

std::string XmlNode::Xml() const {
  xmlNodePtr node = Checked();
  if (node->type == XML_DOCUMENT_NODE) return DocumentXml(node->doc);
  std::string xml = Serialise(node->doc, node);
  // libxml2 writes an attribute as it appears inside a tag, with a blank first.
  if (node->type == XML_ATTRIBUTE_NODE && !xml.empty() && xml[0] == ' ') xml.erase(0, 1);
  return xml;
}

std::vector<std::pair<std::string, std::string>> XmlNode::Attributes() const {
  xmlNodePtr node = Checked();
  std::vector<std::pair<std::string, std::string>> result;
  if (node->type != XML_ELEMENT_NODE) return result;
  for (xmlAttrPtr attr = node->properties; attr != nullptr; attr = attr->next) {
    auto* attr_node = reinterpret_cast<xmlNodePtr>(attr);
    result.emplace_back(QualifiedName(attr_node), TakeString(xmlNodeGetContent(attr_node)));
  }
  return result;
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
  xmlNodePtr node = Checked();
  if (node->type != XML_ELEMENT_NODE) return std::nullopt;
  xmlAttrPtr attr = FindAttribute(node, name);
  if (attr == nullptr) return std::nullopt;
  return TakeString(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attr)));
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) const {
  xmlNodePtr node = Checked();
  if (node->type != XML_ELEMENT_NODE) throw Exception("Only an element has attributes!");
  const std::string attr_name = ToCString(name, "attribute name");
  const std::string attr_value = CarriableText(value);
  xmlAttrPtr attr = FindAttribute(node, attr_name);
  if (attr == nullptr) {
    CheckName(attr_name, "attribute");
    // Created without a value: xmlNewProp would read entity references
    // out of the value instead of taking it as plain text.
    attr = xmlNewProp(node, Chars(attr_name), nullptr);
    if (attr == nullptr) throw std::bad_alloc();
  }
  ReplaceChildrenByText(*holder_, reinterpret_cast<xmlNodePtr>(attr), attr_value);
}

XmlNode XmlNode::SetAttributeNode(const XmlNode& attribute) const {
  xmlNodePtr node = Checked();
  xmlNodePtr attr_node = attribute.Checked();
  if (node->type != XML_ELEMENT_NODE) throw Exception("Only an element has attributes!");
  if (attr_node->type != XML_ATTRIBUTE_NODE) throw Exception("The node is not an attribute!");
  if (attr_node->doc != node->doc) throw Exception("The attribute belongs to another document!");
  if (attr_node->parent == node) return XmlNode();
  if (attr_node->parent != nullptr) throw Exception("The attribute is in use by another element!");
  XmlNode replaced;
  if (xmlAttrPtr old = FindAttribute(node, QualifiedName(attr_node)); old != nullptr) {
    auto* old_node = reinterpret_cast<xmlNodePtr>(old);
    xmlUnlinkNode(old_node);
    holder_->Track(old_node);
    replaced = XmlNode(holder_, old_node);
  }
  LinkLastAttribute(node, reinterpret_cast<xmlAttrPtr>(attr_node));
  return replaced;
}

std::size_t XmlNode::ChildCount() const {
  std::size_t count = 0;
  for (xmlNodePtr child = Checked()->children; child != nullptr; child = child->next) ++count;
  return count;
}

XmlNode XmlNode::Child(std::size_t index) const {
  xmlNodePtr child = Checked()->children;
  while (child != nullptr && index > 0) {
    child = child->next;
    --index;
  }
  return child == nullptr ? XmlNode() : XmlNode(holder_, child);
}

std::vector<XmlNode> XmlNode::Children() const {
  std::vector<XmlNode> children;
  for (xmlNodePtr child = Checked()->children; child != nullptr; child = child->next) {
    children.push_back(XmlNode(holder_, child));
  }
  return children;
}

bool XmlNode::HasChildNodes() const { return Checked()->children != nullptr; }

XmlNode XmlNode::ParentNode() const {
  xmlNodePtr parent = Checked()->parent;
  // DOM attributes have no parent node; libxml2 keeps their element there.
  if (parent == nullptr || node_->type == XML_ATTRIBUTE_NODE) return XmlNode();
  return XmlNode(holder_, parent);
}

XmlDocument XmlNode::OwnerDocument() const {
  Checked();
  return XmlDocument(holder_);
}

std::vector<XmlNode> XmlNode::SelectNodes(std::string_view xpath) const {
  xmlNodePtr node = Checked();
  const std::string expression = ToCString(xpath, "XPath expression");
  std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> context(
      xmlXPathNewContext(node->doc), xmlXPathFreeContext);
  if (context == nullptr) throw std::bad_alloc();
  context->node = node;
  context->error = IgnoreStructuredError;  // errors become the exception below, not stderr
  std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> result(
      xmlXPathEval(Chars(expression), context.get()), xmlXPathFreeObject);
  if (result == nullptr) {
    std::string reason = context->lastError.message != nullptr ? Trim(context->lastError.message)
                                                               : std::string("evaluation failed");
    throw Exception("The XPath expression [" + expression + "] is invalid: " + reason);
  }
  if (result->type != XPATH_NODESET) {
    throw Exception("The XPath expression [" + expression + "] does not select nodes!");
  }
  std::vector<XmlNode> nodes;
  if (result->nodesetval != nullptr) {
    for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
      xmlNodePtr found = result->nodesetval->nodeTab[i];
      // Namespace nodes are copies that die with the result; they are not handed out.
      if (found->type == XML_NAMESPACE_DECL) continue;
      nodes.push_back(XmlNode(holder_, found));
    }
  }
  return nodes;
}

XmlNode XmlNode::SelectSingleNode(std::string_view xpath) const {
  std::vector<XmlNode> nodes = SelectNodes(xpath);
  return nodes.empty() ? XmlNode() : nodes.front();
}

XmlNode XmlNode::AppendChild(const XmlNode& child) const {
  xmlNodePtr parent = Checked();
  xmlNodePtr node = child.Checked();
  if (parent->type != XML_ELEMENT_NODE && parent->type != XML_DOCUMENT_NODE) {
    throw Exception("A node of this kind cannot have children: " + NodeName());
  }
  if (!CanBeChild(node->type)) throw Exception("This node cannot be appended: " + child.NodeName());
  if (parent->type == XML_DOCUMENT_NODE) {
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
        node->type == XML_ENTITY_REF_NODE) {
      throw Exception("Text cannot be appended to a document!");
    }
    if (node->type == XML_ELEMENT_NODE) {
      xmlNodePtr root = xmlDocGetRootElement(parent->doc);
      if (root != nullptr && root != node) {
        throw Exception("A document can hold only one document element!");
      }
    }
  }
  if (node->parent != nullptr && node->parent->type != XML_ELEMENT_NODE &&
      node->parent->type != XML_DOCUMENT_NODE) {
    throw Exception("This node cannot be moved: " + child.NodeName());
  }
  if (node->doc != parent->doc) {
    node = xmlDocCopyNode(node, parent->doc, 1);
    if (node == nullptr) throw std::bad_alloc();
  } else {
    for (xmlNodePtr up = parent; up != nullptr; up = up->parent) {
      if (up == node) throw Exception("A node cannot be appended to itself or its descendants!");
    }
    xmlUnlinkNode(node);
  }
  LinkLastChild(parent, node);
  return XmlNode(holder_, node);
}

XmlNode XmlNode::RemoveChild(const XmlNode& child) const {
  xmlNodePtr parent = Checked();
  xmlNodePtr node = child.Checked();
  if (node->parent != parent || node->type == XML_ATTRIBUTE_NODE ||
      (parent->type != XML_ELEMENT_NODE && parent->type != XML_DOCUMENT_NODE)) {
    throw Exception("The node to remove is not a child of this node!");
  }
  if (!CanBeChild(node->type)) throw Exception("This node cannot be removed: " + child.NodeName());
  xmlUnlinkNode(node);
  holder_->Track(node);
  return child;
}

// --- XmlDocument ------------------------------------------------------------

XmlDocument::XmlDocument() : holder_(std::make_shared<DocumentHolder>(NewEmptyDoc())) {}

bool XmlDocument::LoadXml(std::string_view text, std::string* reason) {
  xmlDocPtr doc = ParseHardened(text, reason);
  const bool parsed = doc != nullptr;
  if (!parsed) doc = NewEmptyDoc();
  holder_ = std::make_shared<DocumentHolder>(doc);
  return parsed;
}

XmlNode XmlDocument::DocumentElement() const {
  xmlNodePtr root = xmlDocGetRootElement(holder_->Doc());
  return root == nullptr ? XmlNode() : XmlNode(holder_, root);
}

XmlNode XmlDocument::DocumentNode() const {
  return XmlNode(holder_, reinterpret_cast<xmlNodePtr>(holder_->Doc()));
}

XmlNode XmlDocument::CreateElement(std::string_view name) const {
  const std::string element_name = ToCString(name, "element name");
  CheckName(element_name, "element");
  xmlNodePtr node = xmlNewDocNode(holder_->Doc(), nullptr, Chars(element_name), nullptr);
  if (node == nullptr) throw std::bad_alloc();
  holder_->Track(node);
  return XmlNode(holder_, node);
}

XmlNode XmlDocument::CreateAttribute(std::string_view name) const {
  const std::string attr_name = ToCString(name, "attribute name");
  CheckName(attr_name, "attribute");
  xmlAttrPtr attr = xmlNewDocProp(holder_->Doc(), Chars(attr_name), nullptr);
  if (attr == nullptr) throw std::bad_alloc();
  auto* node = reinterpret_cast<xmlNodePtr>(attr);
  holder_->Track(node);
  return XmlNode(holder_, node);
}

std::string XmlDocument::Xml() const { return DocumentXml(holder_->Doc()); }

}  // namespace gateway
