// How much work a piece of XML text asks of the parser, counted without
// parsing it: its elements, and the most attributes one element carries.
// Read before a request is parsed, so that one too large for the gateway is
// refused at the cost of one pass over its bytes. The count is exact for
// well-formed text; for any other it errs towards more (a tag's "<" in a
// DOCTYPE's entity values counts too).
#pragma once

#include <cstddef>
#include <string_view>

namespace gateway {

struct XmlShape {
  std::size_t Elements = 0;
  // Of the element with the most attributes.
  std::size_t MostAttributes = 0;
};

XmlShape MeasureXmlShape(std::string_view text);

}  // namespace gateway
