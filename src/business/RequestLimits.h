// The bounds of a request the library takes, checked on its text before it
// is parsed: its size and its number of elements as configured
// (MaxRequestBytes, MaxRequestElements in GatewayConfig.ini), and the
// attributes of one element. Past them, reading a request would cost more
// time or memory than any real request needs, so it is refused instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gateway {

// The most attributes one element of a request may carry. A request's
// elements use at most three; the XML parser's work on one element grows
// with the square of its attributes, so this bound keeps the parse linear.
inline constexpr std::size_t kMaxElementAttributes = 256;

// Why the request text is beyond the bounds, or an empty text when it is
// within them.
std::string RequestLimitRefusal(std::string_view xml);

}  // namespace gateway
