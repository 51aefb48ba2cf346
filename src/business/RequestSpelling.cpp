#include "business/RequestSpelling.h"

#include <set>
#include <string_view>

#include "config/Warnings.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// The elements a request's root may hold that somebody reads: the request-wide
// settings of the global parameters and the pools of the pool factory.
constexpr std::string_view kKnownElements[] = {
    "ObjectID",       "DateFormat", "Seperator",    "IgnoreError", "User",
    "Origin",         "Factory",    "PropertyList", "Condition",   "GroupList",
    "GroupCondition", "OrderList",  "Data",         "AgentOption", "ExtendedProperties"};

}  // namespace

std::vector<std::string> MisspelledRequestElements(const XmlNode& root) {
  std::vector<std::string> warnings;
  if (root.IsNull()) return warnings;
  // One warning per name, however often a request repeats it.
  std::set<std::string> seen;
  for (const XmlNode& child : root.Children()) {
    const std::string name = child.NodeName();
    if (name.starts_with("#")) continue;  // text, comments, processing instructions
    if (!seen.insert(name).second) continue;
    bool known = false;
    std::string_view near;
    for (const std::string_view candidate : kKnownElements) {
      if (name == candidate) known = true;
      if (SameTextAscii(name, candidate)) near = candidate;
    }
    if (known) continue;
    if (SameTextAscii(name, "Separator")) {
      warnings.push_back("the request element <" + name +
                         "> is not read: the separator element is spelled <Seperator>");
    } else if (!near.empty()) {
      warnings.push_back("the request element <" + name + "> is not read as <" + std::string(near) +
                         ">: element names are matched exactly, letter case included");
    }
  }
  return warnings;
}

void WarnAboutMisspelledElements(const XmlNode& root) {
  for (const std::string& warning : MisspelledRequestElements(root)) {
    WriteWarning("TInputPool", "TInputPool", "FromXML", warning);
  }
}

}  // namespace gateway
