#include "config/PropertyType.h"

#include "text/TextCase.h"

namespace gateway {

TPropertyType TypeFromLetter(std::string_view letter) {
  const std::string upper = UpperCaseAscii(letter);
  if (upper == "C" || upper == "V") return TPropertyType::ptString;
  if (upper == "N") return TPropertyType::ptNumber;
  if (upper == "D") return TPropertyType::ptDataTime;
  if (upper == "T") return TPropertyType::ptText;
  if (upper == "I") return TPropertyType::ptImage;
  return TPropertyType::ptNone;
}

std::string TypeToLetter(TPropertyType type) {
  switch (type) {
    case TPropertyType::ptString:
      return "C";
    case TPropertyType::ptNumber:
      return "N";
    case TPropertyType::ptDataTime:
      return "D";
    case TPropertyType::ptText:
      return "T";
    case TPropertyType::ptImage:
      return "I";
    case TPropertyType::ptNone:
      break;
  }
  return "Unknown";
}

}  // namespace gateway
