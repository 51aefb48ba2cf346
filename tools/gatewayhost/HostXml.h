// The host's own reading of XML (it sees only the public header, not the
// library's DOM): a parsed document and the few reads the response view and
// the status check need. Nothing is ever loaded from outside the text and no
// entity is expanded: a reference reads back as its own "&name;" text, which
// for the separator entity `stdd` is exactly what it stands for.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace gateway::host {

// An element of a ReadDocument, or none; valid while its document lives.
class XmlElement {
 public:
  XmlElement() = default;
  explicit XmlElement(_xmlNode* node) : node_(node) {}

  explicit operator bool() const { return node_ != nullptr; }
  std::string Name() const;
  // The text of every text and CDATA node below the element, in order.
  std::string Text() const;
  // The attribute's value; empty when the element has none.
  std::string Attribute(std::string_view name) const;
  std::vector<XmlElement> Children() const;
  // The first child element of that name (letter case counts), or none.
  XmlElement Child(std::string_view name) const;

 private:
  _xmlNode* node_ = nullptr;
};

// A parsed document. Text is read as UTF-8 whatever its declaration says,
// since the host hands the module UTF-8 and reads UTF-8 back.
class XmlText {
 public:
  // Parses `text`; with `recover`, a text with faults (an undeclared entity)
  // yields what could be read instead of nothing.
  XmlText(std::string_view text, bool recover);
  ~XmlText();
  XmlText(const XmlText&) = delete;
  XmlText& operator=(const XmlText&) = delete;

  // The root element, or none when the text is not XML.
  XmlElement Root() const;

 private:
  _xmlDoc* doc_ = nullptr;
};

}  // namespace gateway::host
