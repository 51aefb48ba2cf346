// TPropertyType: the data kind of a business-object property, and the one-letter
// codes by which metadata files and the help document name it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gateway {

enum class TPropertyType : std::uint8_t { ptNone, ptString, ptNumber, ptDataTime, ptText, ptImage };

// "C" or "V" (a string), "N", "D", "T" or "I", in any letter case; every other
// text, the empty one included, is ptNone. The whole text must be the letter.
TPropertyType TypeFromLetter(std::string_view letter);
// "C", "N", "D", "T", "I", or "Unknown" for ptNone.
std::string TypeToLetter(TPropertyType type);

}  // namespace gateway
