#include "config/ObjectHelp.h"

#include "pools/XmlText.h"

namespace gateway {

namespace {

// The lines of a text broken at CR LF, CR or LF; a break at the very end adds
// no empty line, and an empty text has none.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    start = end + 1;
  }
  return lines;
}

}  // namespace

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
