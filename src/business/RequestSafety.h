// Checks of the request fragments that the data-retrieval operator pastes into
// its SELECT: column expressions (property list, order list, condition names),
// condition operators and connectives, and the agent restriction. Each check
// raises gateway::Exception naming the element and the offending text; the
// operator then runs nothing.
#pragma once

#include <string_view>

namespace gateway {

// A column name, bracketed or qualified name, or a function call over columns
// and numbers: no literal, semicolon or comment, balanced parentheses, no
// comma outside parentheses, and none of the statement words (SELECT, UNION,
// INSERT, ...). The rules are SqlFragmentProblem's (text/SqlFragment.h).
void CheckColumnExpression(std::string_view element, std::string_view text);

// An order text: column expressions joined by commas, each optionally
// followed by ASC or DESC.
void CheckOrderText(std::string_view order_text);

// The names, operators and connectives of a condition element whose operator
// names are already converted to SQL operators.
void CheckConditionXml(std::string_view element, std::string_view converted_xml);

// The gateway's own restriction may hold literals and sub-queries, but stays
// one expression: no statement separator or comment, parentheses that never
// close more than they opened and all close within it, quotes of every form
// closed, and no set operator outside parentheses.
void CheckAgentOption(std::string_view text);

}  // namespace gateway
