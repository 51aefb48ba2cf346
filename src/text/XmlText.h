// The XML helpers every pool and XML reader goes through: the separator
// escape that lets a list item hold the list separator, the normalised head
// (declaration and the document type that declares the entity `stdd`) put in
// front of request text before parsing, document creation and loading, and a
// few accessors for attributes and child elements. They hold no state.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text/XmlDom.h"

namespace gateway {

// What a separator inside a list item is written as.
inline constexpr std::string_view kSeparatorMarker = "&stdd;";
inline constexpr std::string_view kDefaultDeclaration =
    R"(<?xml version="1.0" encoding="GB2312"?>)";
// Declares `stdd` so that "&stdd;" in request text parses and reads back as
// the six characters of the marker.
inline constexpr std::string_view kDocumentTypeDeclaration =
    R"(<!DOCTYPE SC[<!ENTITY stdd "&amp;stdd;">]>)";
// Still GB2312 as peers expect to see it; it has no effect on parsing, which
// is always UTF-8.
inline constexpr std::string_view kEncodingAttribute = R"( encoding="GB2312")";
inline constexpr std::string_view kSeparatorConflictMessage =
    "来源字串中已经有标准分隔符[%s]，将会造成数据异常！";
// How much of a text's beginning is examined for a declaration.
inline constexpr std::size_t kExaminedHeadLength = 100;

// Replaces every separator by the marker. Raises gateway::Exception (code 0)
// with the separator-conflict message when the text already holds the marker.
std::string EncodeSeparator(std::string_view text, std::string_view separator);
// Replaces every marker by the separator. Raises gateway::Exception (code 0)
// with the separator-conflict message when the separator already occurs in
// the text outside the markers. With an empty separator the markers are
// removed.
std::string DecodeSeparator(std::string_view text, std::string_view separator);

// A new, empty document.
XmlDocument NewXmlDocument();
// A new document loaded from the text as it stands; empty when the text does
// not parse (nothing is raised).
XmlDocument LoadXmlDocument(std::string_view text);
// The text with an XML declaration (with an encoding attribute) and the
// document type declaring `stdd` made present.
std::string NormalizeXmlHeader(std::string_view text);
// LoadXmlDocument(NormalizeXmlHeader(text)): how request XML is read.
XmlDocument LoadNormalizedXml(std::string_view text);

// The value of a node's attribute, or an empty text when it has none (or the
// node is null).
std::string GetAttributeText(const XmlNode& node, std::string_view name);
// The first node the XPath expression `name` selects relative to the node.
// When nothing matches and `create` is set, a new element of that name is
// appended to the node and returned; otherwise the result is a null node (also
// for a null node without `create`).
XmlNode FindChildNode(const XmlNode& node, std::string_view name, bool create);
// The text of the node and its descendants; empty for a null node.
std::string GetNodeText(const XmlNode& node);
// The text of the child that `name` selects, or empty when there is none.
std::string GetChildText(const XmlNode& node, std::string_view name);
// Finds or creates the child that `name` selects, sets its text, returns it.
XmlNode SetChildText(const XmlNode& node, std::string_view name, std::string_view value);

}  // namespace gateway
