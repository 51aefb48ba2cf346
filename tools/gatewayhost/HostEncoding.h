// Text at the host's wire: request bytes from peers (UTF-8, or GB2312 from
// legacy peers, as their declarations say) become the UTF-8 the module takes, and the module's UTF-8
// responses are written in the encoding the peer asked for.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "gatewayhost/HostOptions.h"

namespace gateway::host {

// Text that cannot be converted; the message says where and why.
class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The bytes of a request (or parameter text) as UTF-8. A byte-order mark
// (UTF-8, UTF-16) decides and is dropped; otherwise the encoding the XML
// declaration names decides (GB2312 and GBK read as CP936); without one the
// bytes are UTF-8, as XML has it. Bytes that are not valid in that encoding,
// an encoding this system cannot read, or a declaration that contradicts the
// byte-order mark raise EncodingError rather than being replaced or guessed.
std::string DecodeRequestBytes(std::string_view bytes);

// The text with its XML declaration saying encoding="<encoding>": an existing
// encoding attribute gets the new value, a declaration without one gets it
// after its version, and a text without a declaration gets one in front. An
// empty text stays empty.
std::string RewriteDeclaredEncoding(std::string_view xml, std::string_view encoding);

// A UTF-8 response as the bytes to write. UTF-8 leaves it unchanged; GB2312
// rewrites the declaration and converts to GB2312 (EUC-CN) strictly, writing a
// character GB2312 cannot represent as an XML character reference (&#x88FD;).
std::string EncodeResponse(std::string_view utf8, ResponseEncoding encoding);

}  // namespace gateway::host
