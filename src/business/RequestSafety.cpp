#include "business/RequestSafety.h"

#include <array>
#include <string>

#include "gateway/Exception.h"
#include "text/ListText.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

constexpr std::array<std::string_view, 12> kStatementWords = {
    "SELECT", "UNION", "INSERT", "UPDATE", "DELETE", "DROP",
    "ALTER",  "CREATE", "EXEC",  "EXECUTE", "INTO", "DECLARE"};

constexpr std::array<std::string_view, 12> kConditionOperators = {
    "=", "<>", ">", ">=", "<", "<=", "like", "in", "not in", "between", "!=", "not like"};

[[noreturn]] void Refuse(std::string_view element, std::string_view text, std::string_view why) {
  throw Exception("The request's " + std::string(element) +
                  " holds text that cannot go into a statement: \"" + std::string(text) + "\" (" +
                  std::string(why) + ")");
}

bool IsWordChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The first statement word standing as a whole word in the text, or empty.
std::string_view StatementWordIn(std::string_view text) {
  const std::string upper = UpperCaseAscii(text);
  size_t i = 0;
  while (i < upper.size()) {
    if (!IsWordChar(upper[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < upper.size() && IsWordChar(upper[end])) ++end;
    const std::string_view word(upper.data() + i, end - i);
    for (std::string_view banned : kStatementWords) {
      if (word == banned) return banned;
    }
    i = end;
  }
  return {};
}

// Walks the text outside apostrophe literals ('' inside a literal is one
// apostrophe). Reports what the first unsafe spot is, or empty when none.
std::string UnsafeOutsideLiterals(std::string_view text, bool allow_literals) {
  int depth = 0;
  bool literal = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (literal) {
      if (c == '\'') {
        if (i + 1 < text.size() && text[i + 1] == '\'') {
          ++i;
        } else {
          literal = false;
        }
      }
      continue;
    }
    const std::string_view rest = text.substr(i);
    if (c == '\'') {
      if (!allow_literals) return "an apostrophe";
      literal = true;
    } else if (c == ';') {
      return "a semicolon";
    } else if (rest.starts_with("--") || rest.starts_with("/*")) {
      return "a comment";
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) return "a parenthesis that closes nothing";
    }
  }
  if (literal) return "a literal that does not end";
  if (depth != 0) return "a parenthesis that does not close";
  return {};
}

void CheckGroup(std::string_view element, const XmlNode& group) {
  const std::string connective = Trim(GetAttributeText(group, "Type"));
  if (!connective.empty() && !SameTextAscii(connective, "and") && !SameTextAscii(connective, "or")) {
    Refuse(element, connective, "a group joins its items with and or or only");
  }
  for (size_t i = 0; i < group.ChildCount(); ++i) {
    const XmlNode child = group.Child(i);
    if (SameTextAscii(child.NodeName(), "Group")) {
      CheckGroup(element, child);
      continue;
    }
    if (!SameTextAscii(child.NodeName(), "Property")) continue;
    const std::string name = GetAttributeText(child, "Name");
    const std::string type = GetAttributeText(child, "Type");
    // Items without a name or an operator never reach the statement.
    if (Trim(name).empty() || Trim(type).empty()) continue;
    CheckColumnExpression(element, name);
    const std::string normalised = ReplaceAllRepeated(type, "  ", " ", true);
    bool known = false;
    for (std::string_view op : kConditionOperators) known = known || SameTextAscii(normalised, op);
    if (!known) Refuse(element, type, "not a comparison operator");
  }
}

}  // namespace

void CheckColumnExpression(std::string_view element, std::string_view text) {
  const std::string problem = UnsafeOutsideLiterals(text, false);
  if (!problem.empty()) Refuse(element, text, problem);
  const std::string_view word = StatementWordIn(text);
  if (!word.empty()) Refuse(element, text, "the word " + std::string(word));
}

void CheckOrderText(std::string_view order_text) {
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i <= order_text.size(); ++i) {
    const char c = i < order_text.size() ? order_text[i] : ',';
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ',' && depth <= 0) {
      CheckColumnExpression("OrderList", order_text.substr(start, i - start));
      start = i + 1;
      depth = 0;
    }
  }
}

void CheckConditionXml(std::string_view element, std::string_view converted_xml) {
  const XmlDocument document = LoadNormalizedXml(converted_xml);
  const XmlNode root = document.DocumentElement();
  if (!root.IsNull()) CheckGroup(element, root);
}

void CheckAgentOption(std::string_view text) {
  const std::string problem = UnsafeOutsideLiterals(text, true);
  if (!problem.empty()) Refuse("AgentOption", text, problem);
}

}  // namespace gateway
