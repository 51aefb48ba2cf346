// Reading an XML file the library is given (a business object's metadata) as
// UTF-8 text, ready for the XML layer, which parses every text as UTF-8: the
// file's own encoding is honoured, whether marked by a byte-order mark or
// declared in its XML declaration; a file with neither is UTF-8, or GB2312
// (read as CP936) when its bytes are not valid UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// The bytes of an XML file as UTF-8 text. A byte-order mark decides first
// (UTF-8, UTF-16 LE or BE) and is dropped; otherwise the declaration's
// encoding is used (GB2312 and GBK are read as CP936); otherwise the bytes go
// through DecodeFileBytes. The declaration itself stays in the text. Bytes the
// encoding cannot decode become U+FFFD. An encoding that this system cannot
// convert raises gateway::Exception naming it.
std::string DecodeXmlFileBytes(std::string_view bytes);

// The whole file at `path`, decoded with DecodeXmlFileBytes. A file that
// cannot be opened or read raises EInOutError.
std::string ReadXmlFileText(const std::string& path);

}  // namespace gateway
