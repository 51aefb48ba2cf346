#include "text/XmlShape.h"

#include <algorithm>

namespace gateway {

namespace {

// A start tag's name begins with a letter, "_", ":" or any non-ASCII character.
bool StartsName(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

// The position after `close`, searched from `from`; the end when it never comes.
std::size_t After(std::string_view text, std::size_t from, std::string_view close) {
  const std::size_t at = text.find(close, from);
  return at == std::string_view::npos ? text.size() : at + close.size();
}

}  // namespace

XmlShape MeasureXmlShape(std::string_view text) {
  XmlShape shape;
  std::size_t i = text.find('<');
  while (i < text.size()) {
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("<!--")) {
      i = After(text, i + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      i = After(text, i + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      i = After(text, i + 2, "?>");
    } else if (rest.size() > 1 && StartsName(static_cast<unsigned char>(rest[1]))) {
      // A start tag: every "=" outside its quoted values begins an attribute.
      ++shape.Elements;
      std::size_t attributes = 0;
      char quote = 0;
      for (++i; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          ++attributes;
        } else if (c == '>' || c == '<') {
          break;
        }
      }
      shape.MostAttributes = std::max(shape.MostAttributes, attributes);
    } else {
      ++i;  // an end tag, a declaration, a stray "<"
    }
    i = text.find('<', i);
  }
  return shape;
}

}  // namespace gateway
