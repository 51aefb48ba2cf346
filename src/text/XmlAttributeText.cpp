#include "text/XmlAttributeText.h"

#include <cstddef>
#include <cstdint>

namespace gateway {

namespace {

// The length of the UTF-8 character at the start of `text` when it is a
// character XML allows, else 0. `text` holds at least one byte.
std::size_t AllowedCharacterLength(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return (lead >= 0x20 || lead == 0x09 || lead == 0x0A || lead == 0x0D) ? 1 : 0;
  std::size_t length = 0;
  uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (byte(i) & 0x3Fu);
  }
  // Overlong forms, surrogates, beyond U+10FFFF, and the two non-characters.
  if ((length == 3 && code < 0x800) || (length == 4 && code < 0x10000)) return 0;
  if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  if (code == 0xFFFE || code == 0xFFFF) return 0;
  return length;
}

}  // namespace

std::size_t UnwritableCharacterOffset(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size()) {
    const std::size_t length = AllowedCharacterLength(value.substr(i));
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

bool AppendAttributeValue(std::string& out, std::string_view value) {
  const std::size_t start = out.size();
  std::size_t plain = 0;  // start of the run not yet copied
  std::size_t i = 0;
  while (i < value.size()) {
    const char c = value[i];
    const char* reference = nullptr;
    switch (c) {
      case '&': reference = "&amp;"; break;
      case '<': reference = "&lt;"; break;
      case '>': reference = "&gt;"; break;
      case '"': reference = "&quot;"; break;
      case '\t': reference = "&#9;"; break;
      case '\n': reference = "&#10;"; break;
      case '\r': reference = "&#13;"; break;
      default: break;
    }
    if (reference != nullptr) {
      out.append(value.data() + plain, i - plain);
      out += reference;
      plain = ++i;
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = AllowedCharacterLength(value.substr(i));
    if (length == 0) {
      out.resize(start);
      return false;
    }
    i += length;
  }
  out.append(value.data() + plain, value.size() - plain);
  return true;
}

}  // namespace gateway
