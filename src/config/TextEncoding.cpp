#include "config/TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace gateway {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points beyond U+10FFFF).
bool IsValidUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    size_t length;
    uint32_t code;
    if (c < 0x80) {
      ++p;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      code = c & 0x07;
    } else {
      return false;
    }
    if (static_cast<size_t>(end - p) < length) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[k] & 0x3F);
    }
    static const uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    p += length;
  }
  return true;
}

// Converts GB2312/GBK bytes to UTF-8. A byte sequence the code page does not
// know becomes U+FFFD, so one bad byte does not lose the rest of the file.
std::optional<std::string> ConvertToUtf8(std::string_view bytes, const std::string& charset) {
  iconv_t raw = iconv_open("UTF-8", charset.c_str());
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::unique_ptr<void, int (*)(iconv_t)> cd(raw, iconv_close);

  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 16);
  char buffer[4096];
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  while (in_left > 0) {
    char* dst = buffer;
    size_t dst_left = sizeof buffer;
    const size_t rc = iconv(raw, &in, &in_left, &dst, &dst_left);
    out.append(buffer, static_cast<size_t>(dst - buffer));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      // One undecodable byte: mark it and go on, so nothing else is lost.
      out += "\xEF\xBF\xBD";
      ++in;
      --in_left;
      iconv(raw, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::string Cp936ToUtf8(std::string_view bytes) {
  return ConvertToUtf8(bytes, "CP936").value_or(std::string(bytes));
}

std::string DecodeFileBytes(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp936ToUtf8(bytes);
}

}  // namespace gateway
