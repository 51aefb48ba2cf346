// Turning the bytes of a file the library reads into UTF-8: files without a
// declared encoding are UTF-8, or GB2312 (read as its superset CP936) when their
// bytes are not valid UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gateway {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The bytes of `charset` (any name iconv knows) as UTF-8, an undecodable byte
// becoming U+FFFD; nullopt when iconv does not know the charset.
std::optional<std::string> ConvertToUtf8(std::string_view bytes, const std::string& charset);

// CP936 bytes as UTF-8; bytes CP936 cannot decode become U+FFFD.
std::string Cp936ToUtf8(std::string_view bytes);

// A UTF-8 byte-order mark is dropped; bytes that are not valid UTF-8 are read as CP936.
std::string DecodeFileBytes(std::string_view bytes);

}  // namespace gateway
