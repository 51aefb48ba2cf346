// Checks of the request fragments that the data-retrieval operator pastes into
// its SELECT: column expressions (property list, order list, condition names),
// condition operators and connectives, and the agent restriction. Each check
// raises gateway::Exception naming the element and the offending text; the
// operator then runs nothing.
#pragma once

#include <string_view>

namespace gateway {

// A column name, bracketed or qualified name, or a function call over columns
// and numbers: no apostrophe, semicolon or comment, balanced parentheses, and
// none of the statement words (SELECT, UNION, INSERT, ...). An order-list item
// may end in ASC or DESC.
void CheckColumnExpression(std::string_view element, std::string_view text);

// Every item of an order text (items separated by commas outside parentheses).
void CheckOrderText(std::string_view order_text);

// The names, operators and connectives of a condition element whose operator
// names are already converted to SQL operators.
void CheckConditionXml(std::string_view element, std::string_view converted_xml);

// The gateway's own restriction may hold literals and sub-queries, but no
// statement separator or comment outside its literals, and its literals and
// parentheses must close within it.
void CheckAgentOption(std::string_view text);

}  // namespace gateway
