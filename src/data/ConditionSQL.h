// Turns a request's condition tree (groups of property comparisons, XML) into
// the text of one parenthesised SQL predicate for a WHERE clause. Operator
// names such as EQUAL must already be SQL operators (TConditionTypeConverter).
#pragma once

#include <string>
#include <string_view>

#include "text/XmlDom.h"

namespace gateway {

// "(" + GroupToSQL(root) + ")" for the condition XML's root element; "()" when
// no child contributes, and an empty text when the XML does not parse.
std::string ConditionToSQL(std::string_view condition_xml);

// The predicate of one group, without outer parentheses: its `Property` and
// `Group` children (names matched ignoring case) joined by its trimmed `Type`
// connective. Values are always SQL string literals with apostrophes doubled;
// list values are split at the request separator (RequestSettings().Seperator)
// and unescaped.
std::string GroupToSQL(const XmlNode& group);

}  // namespace gateway
