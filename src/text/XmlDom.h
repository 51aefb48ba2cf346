// A small DOM over libxml2: documents and node handles with exactly the
// operations the library needs (load, create, read and write text and
// attributes, walk children, XPath 1.0 selection, append and remove).
//
// Parsing is hardened for untrusted request text: no external entity, DTD or
// network resource is ever loaded, entity expansion is bounded by libxml2's
// own amplification checks, and every parse runs through its own context, so
// the process-wide libxml2 settings of the host are neither read nor changed.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct _xmlNode;  // libxml2's node; kept out of this header on purpose.

namespace gateway {

namespace xml_internal {
class DocumentHolder;
}  // namespace xml_internal

class XmlDocument;

// A handle on one node of a document, or a null handle. A handle works like a
// pointer: copies refer to the same node, and const on the handle does not
// protect the node. Every handle keeps its whole document alive, so a node may
// outlive the XmlDocument variable it came from. Nodes that are created but not
// appended, or removed from the tree, stay valid until the document dies.
// Every operation but IsNull and comparison raises gateway::Exception on a null
// handle. Not thread-safe: a document and its nodes belong to one thread.
class XmlNode {
 public:
  XmlNode() = default;

  bool IsNull() const { return node_ == nullptr; }
  explicit operator bool() const { return node_ != nullptr; }
  friend bool operator==(const XmlNode& a, const XmlNode& b) { return a.node_ == b.node_; }

  // The DOM node name: the qualified name of an element or attribute, the
  // target of a processing instruction, or "#text", "#comment",
  // "#cdata-section", "#document".
  std::string NodeName() const;
  bool IsElement() const;

  // The text content of the node and all its descendants.
  std::string Text() const;
  // On an element: replaces all children by one text node (none for an empty
  // text). On an attribute: replaces its value. On text, comment, CDATA and
  // processing-instruction nodes: replaces their data.
  void SetText(std::string_view text) const;

  // The node serialised as UTF-8 XML, without pretty-printing. For the
  // document node this is the whole document, as XmlDocument::Xml.
  std::string Xml() const;

  // The attributes of an element, in document order (empty for other nodes).
  std::vector<std::pair<std::string, std::string>> Attributes() const;
  // The value of the attribute with this qualified name, if there is one.
  std::optional<std::string> Attribute(std::string_view name) const;
  // Sets (adds or replaces) an attribute of an element.
  void SetAttribute(std::string_view name, std::string_view value) const;
  // Puts an attribute made by XmlDocument::CreateAttribute on this element; an
  // attribute of the same name is taken off and returned (else a null handle).
  XmlNode SetAttributeNode(const XmlNode& attribute) const;

  std::size_t ChildCount() const;
  // The child at a 0-based index, or a null handle when out of range. It
  // walks the children up to it: to visit every child, use Children.
  XmlNode Child(std::size_t index) const;
  // Every child, in document order, found in one walk; the list stays as it
  // is when the tree changes afterwards.
  std::vector<XmlNode> Children() const;
  bool HasChildNodes() const;
  XmlNode ParentNode() const;
  XmlDocument OwnerDocument() const;

  // XPath 1.0 selection relative to this node. An invalid expression, or one
  // whose result is not a node set, raises gateway::Exception naming it.
  XmlNode SelectSingleNode(std::string_view xpath) const;
  std::vector<XmlNode> SelectNodes(std::string_view xpath) const;

  // Appends a child as the last child (moving it when it is already in the
  // tree) and returns it. A node of another document is copied in, and the copy
  // is returned.
  XmlNode AppendChild(const XmlNode& child) const;
  // Takes a child out of the tree and returns it; it stays usable.
  XmlNode RemoveChild(const XmlNode& child) const;

 private:
  friend class XmlDocument;
  XmlNode(std::shared_ptr<xml_internal::DocumentHolder> holder, _xmlNode* node)
      : holder_(std::move(holder)), node_(node) {}
  _xmlNode* Checked() const;

  std::shared_ptr<xml_internal::DocumentHolder> holder_;
  _xmlNode* node_ = nullptr;
};

// An XML document. Copies of an XmlDocument refer to the same document.
class XmlDocument {
 public:
  // A new, empty document (no document element).
  XmlDocument();

  // Replaces this handle's document by one parsed from UTF-8 text (parsed as
  // UTF-8 whatever its declaration says). Returns whether the text parsed; if
  // not, the document is empty. Never raises for bad text. Nodes and other
  // handles of the previous document keep that document, unchanged. When the
  // text does not parse and `reason` is given, it receives the parser's first
  // error with its line.
  bool LoadXml(std::string_view text, std::string* reason = nullptr);

  // The document element, or a null handle in an empty document.
  XmlNode DocumentElement() const;
  // The document node itself (parent of the document element).
  XmlNode DocumentNode() const;

  // A new element or attribute of this document, not yet in the tree. An
  // invalid XML name raises gateway::Exception.
  XmlNode CreateElement(std::string_view name) const;
  XmlNode CreateAttribute(std::string_view name) const;

  // The whole document as UTF-8 text with a declaration that says
  // encoding="UTF-8"; an empty text for a document without any node.
  std::string Xml() const;

 private:
  friend class XmlNode;
  explicit XmlDocument(std::shared_ptr<xml_internal::DocumentHolder> holder)
      : holder_(std::move(holder)) {}

  std::shared_ptr<xml_internal::DocumentHolder> holder_;
};

}  // namespace gateway
