#include "text/XmlText.h"

#include "gateway/Exception.h"
#include "text/ListText.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

[[noreturn]] void RaiseSeparatorConflict(std::string_view what) {
  throw Exception(ReplaceAll(kSeparatorConflictMessage, "%s", what), 0);
}

}  // namespace

std::string EncodeSeparator(std::string_view text, std::string_view separator) {
  if (text.find(kSeparatorMarker) != std::string_view::npos) {
    RaiseSeparatorConflict(kSeparatorMarker);
  }
  return ReplaceAll(text, separator, kSeparatorMarker);
}

std::string DecodeSeparator(std::string_view text, std::string_view separator) {
  if (separator.empty()) return ReplaceAll(text, kSeparatorMarker, "");
  // The separator is looked for only between the markers: a separator such as
  // ";" or "&" also occurs inside the marker itself, and every encoded text
  // would otherwise be refused.
  std::string result;
  result.reserve(text.size());
  std::size_t pos = 0;
  while (true) {
    const std::size_t hit = text.find(kSeparatorMarker, pos);
    const std::string_view piece =
        text.substr(pos, hit == std::string_view::npos ? hit : hit - pos);
    if (piece.find(separator) != std::string_view::npos) RaiseSeparatorConflict(separator);
    result.append(piece);
    if (hit == std::string_view::npos) break;
    result.append(separator);
    pos = hit + kSeparatorMarker.size();
  }
  return result;
}

XmlDocument NewXmlDocument() { return XmlDocument(); }

XmlDocument LoadXmlDocument(std::string_view text) {
  XmlDocument document;
  document.LoadXml(text);
  return document;
}

std::string NormalizeXmlHeader(std::string_view text) {
  const std::string head = Trim(
      ReplaceAllRepeated(LowerCaseAscii(text.substr(0, kExaminedHeadLength)), "\r\n", "", false));
  const bool has_declaration = head.rfind("<?xml", 0) == 0;
  const bool has_document_type = head.find("<!doctype") != std::string::npos;
  const bool has_encoding = head.find("encoding=") != std::string::npos;

  if (!has_declaration) {
    std::string result(kDefaultDeclaration);
    if (!has_document_type) result += kDocumentTypeDeclaration;
    result += text;
    return result;
  }
  // The head has lost its leading blanks and line-break pairs, so positions in
  // it are not positions in the text. The declaration's real end is the first
  // "?>" after the text's leading blanks (every byte Trim removes): the
  // declaration is the first thing there, as the head shows.
  std::size_t start = 0;
  while (start < text.size() && static_cast<unsigned char>(text[start]) <= 0x20) ++start;
  const std::size_t end = text.find("?>", start);
  std::string result(text);
  if (end == std::string_view::npos) return result;  // not XML; it will not parse anyway
  if (!has_document_type) result.insert(end + 2, kDocumentTypeDeclaration);
  if (!has_encoding) result.insert(end, kEncodingAttribute);
  return result;
}

XmlDocument LoadNormalizedXml(std::string_view text) {
  return LoadXmlDocument(NormalizeXmlHeader(text));
}

std::string GetAttributeText(const XmlNode& node, std::string_view name) {
  if (node.IsNull()) return std::string();
  return node.Attribute(name).value_or(std::string());
}

XmlNode FindChildNode(const XmlNode& node, std::string_view name, bool create) {
  if (node.IsNull() && !create) return XmlNode();
  XmlNode found = node.SelectSingleNode(name);
  if (!found.IsNull() || !create) return found;
  return node.AppendChild(node.OwnerDocument().CreateElement(name));
}

std::string GetNodeText(const XmlNode& node) { return node.IsNull() ? std::string() : node.Text(); }

std::string GetChildText(const XmlNode& node, std::string_view name) {
  return GetNodeText(FindChildNode(node, name, false));
}

XmlNode SetChildText(const XmlNode& node, std::string_view name, std::string_view value) {
  XmlNode child = FindChildNode(node, name, true);
  child.SetText(value);
  return child;
}

}  // namespace gateway
