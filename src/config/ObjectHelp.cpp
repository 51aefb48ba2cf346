#include "config/ObjectHelp.h"

#include "text/ListText.h"
#include "text/XmlText.h"

namespace gateway {

std::string TObjectHelp::GetHelpXML() { return std::string(); }

void TObjectHelp::LoadFromXML(std::string_view text) {
  const XmlNode root = LoadNormalizedXml(text).DocumentElement();
  if (root.IsNull()) return;
  ID = GetAttributeText(root, "ID");
  Name = GetAttributeText(root, "Name");
  Desc = GetAttributeText(root, "Desc");
  HelpInfo = SplitLines(GetChildText(root, "HelpInfo"));
}

}  // namespace gateway
