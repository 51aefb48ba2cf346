#include "business/RequestSafety.h"

#include <array>
#include <string>

#include "gateway/Exception.h"
#include "text/ListText.h"
#include "text/SqlFragment.h"
#include "text/TextCase.h"
#include "text/XmlText.h"

namespace gateway {

namespace {

constexpr std::array<std::string_view, 12> kConditionOperators = {
    "=", "<>", ">", ">=", "<", "<=", "like", "in", "not in", "between", "!=", "not like"};

[[noreturn]] void Refuse(std::string_view element, std::string_view text, std::string_view why) {
  throw Exception("The request's " + std::string(element) +
                  " holds text that cannot go into a statement: \"" + std::string(text) + "\" (" +
                  std::string(why) + ")");
}

void CheckGroup(std::string_view element, const XmlNode& group) {
  const std::string connective = Trim(GetAttributeText(group, "Type"));
  if (!connective.empty() && !SameTextAscii(connective, "and") && !SameTextAscii(connective, "or")) {
    Refuse(element, connective, "a group joins its items with and or or only");
  }
  for (const XmlNode& child : group.Children()) {
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
  const std::string problem = SqlFragmentProblem(text, SqlFragmentKind::kColumn);
  if (!problem.empty()) Refuse(element, text, problem);
}

void CheckOrderText(std::string_view order_text) {
  const std::string problem = SqlFragmentProblem(order_text, SqlFragmentKind::kColumnList);
  if (!problem.empty()) Refuse("OrderList", order_text, problem);
}

void CheckConditionXml(std::string_view element, std::string_view converted_xml) {
  const XmlDocument document = LoadNormalizedXml(converted_xml);
  const XmlNode root = document.DocumentElement();
  if (!root.IsNull()) CheckGroup(element, root);
}

void CheckAgentOption(std::string_view text) {
  const std::string problem = SqlFragmentProblem(text, SqlFragmentKind::kRestriction);
  if (!problem.empty()) Refuse("AgentOption", text, problem);
}

}  // namespace gateway
