// TObjectHelp: a business object's identity and help text (identifier, name,
// description and help lines), read from the root element of its metadata file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gateway {

class TObjectHelp {
 public:
  TObjectHelp() = default;
  virtual ~TObjectHelp() = default;

  // The help as an XML text of its own; this record has none and gives an empty text.
  virtual std::string GetHelpXML();
  // Takes ID, Name and Desc from the attributes of the text's root element
  // (empty when absent) and HelpInfo from the text of its "HelpInfo" child,
  // split into lines. Text without a root element changes nothing.
  virtual void LoadFromXML(std::string_view text);

  std::string Desc;
  std::string Name;
  std::string ID;
  std::vector<std::string> HelpInfo;  // the help text, one entry per line
};

}  // namespace gateway
