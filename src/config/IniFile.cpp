#include "config/IniFile.h"

#include <iconv.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>

#include "pools/TextCase.h"

namespace gateway {

namespace {

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
std::string Cp936ToUtf8(std::string_view bytes) {
  iconv_t raw = iconv_open("UTF-8", "CP936");
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
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
      out += "\xEF\xBF\xBD";
      ++in;
      --in_left;
      iconv(raw, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::string DecodeFileBytes(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp936ToUtf8(bytes);
}

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The integer forms ReadInteger accepts; nullopt for anything else.
std::optional<int> ParseIniInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (text.size() - i >= 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace

IniFile::IniFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return;
  std::string bytes;
  // A read that fails (a directory, an I/O error) counts as an unreadable file;
  // the stream library reports some of these by throwing.
  try {
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return;
  }
  if (file.bad()) return;
  Parse(bytes);
}

IniFile IniFile::FromBytes(std::string_view bytes) {
  IniFile ini;
  ini.Parse(bytes);
  return ini;
}

void IniFile::Parse(std::string_view bytes) {
  const std::string text = DecodeFileBytes(bytes);
  std::map<std::string, std::string>* section = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (const size_t close = line.rfind(']'); close != std::string::npos) {
        section = &sections_[UpperCaseAscii(Trim(line.substr(1, close - 1)))];
        continue;
      }
    }
    const size_t equals = line.find('=');
    // Keys before the first section and lines without "=" cannot be read back.
    if (section == nullptr || equals == std::string::npos) continue;
    section->emplace(UpperCaseAscii(Trim(line.substr(0, equals))),
                     Unquote(Trim(line.substr(equals + 1))));
  }
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(UpperCaseAscii(Trim(section)));
  if (s == sections_.end()) return std::nullopt;
  const auto k = s->second.find(UpperCaseAscii(Trim(key)));
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

bool IniFile::SectionExists(std::string_view section) const {
  return sections_.find(UpperCaseAscii(Trim(section))) != sections_.end();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  auto value = Find(section, key);
  return value ? std::move(*value) : std::string(default_value);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) const {
  const auto value = Find(section, key);
  if (!value) return default_value;
  return ParseIniInteger(*value).value_or(default_value);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

}  // namespace gateway
