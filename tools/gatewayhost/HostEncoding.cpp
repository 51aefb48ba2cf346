#include "gatewayhost/HostEncoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <regex>

namespace gateway::host {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr size_t kConverted = std::string_view::npos;

// Converts `in` with iconv and no fallback: unlike the library's reader of its
// own files, which puts U+FFFD for bytes it cannot decode, the host must not
// hand a peer's request (or a peer a response) with characters silently
// replaced. Appends to *out when given; returns the offset of the first byte
// sequence that cannot be converted, or kConverted.
size_t Convert(std::string_view in, const char* from, const char* to, std::string* out) {
  iconv_t raw = iconv_open(to, from);
  if (raw == reinterpret_cast<iconv_t>(-1))
    throw EncodingError(std::string("this system cannot convert ") + from + " to " + to);
  std::unique_ptr<void, int (*)(iconv_t)> cd(raw, iconv_close);

  char buffer[4096];
  char* source = const_cast<char*>(in.data());
  size_t source_left = in.size();
  // The last round (null input) writes any shift sequence the target needs.
  for (bool flushing = false;;) {
    char* target = buffer;
    size_t target_left = sizeof buffer;
    const size_t rc = flushing ? iconv(raw, nullptr, nullptr, &target, &target_left)
                               : iconv(raw, &source, &source_left, &target, &target_left);
    const int error = errno;
    if (out != nullptr) out->append(buffer, static_cast<size_t>(target - buffer));
    if (rc == static_cast<size_t>(-1)) {
      if (error == E2BIG) continue;
      // EILSEQ: a sequence the source cannot decode or the target cannot hold;
      // EINVAL: a sequence cut off by the end of the text.
      return static_cast<size_t>(source - in.data());
    }
    if (flushing) return kConverted;
    flushing = true;
  }
}

bool IsValidUtf8(std::string_view text) {
  // glibc's UTF-8 decoder rejects overlong forms, surrogates and code points
  // beyond U+10FFFF on the way to UTF-32 (a UTF-8 to UTF-8 pass does not).
  return Convert(text, "UTF-8", "UTF-32LE", nullptr) == kConverted;
}

// The length of the valid UTF-8 character whose first byte is `lead`.
size_t CharacterLength(unsigned char lead) {
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// The code point of the valid UTF-8 character that starts `text` (not empty).
uint32_t CodePointAt(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t length = std::min(CharacterLength(p[0]), text.size());
  if (length == 1) return p[0];
  uint32_t code = p[0] & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) code = (code << 6) | (p[k] & 0x3F);
  return code;
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

}  // namespace

std::string DecodeRequestBytes(std::string_view bytes) {
  size_t skipped = 0;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    bytes.remove_prefix(kByteOrderMark.size());
    skipped = kByteOrderMark.size();
  }
  if (IsValidUtf8(bytes)) return std::string(bytes);

  std::string utf8;
  utf8.reserve(bytes.size() * 3 / 2);
  const size_t bad = Convert(bytes, "CP936", "UTF-8", &utf8);
  if (bad != kConverted)
    throw EncodingError("neither UTF-8 nor GB2312 text: byte 0x" +
                        Hex(static_cast<unsigned char>(bytes[bad]), 2) + " at offset " +
                        std::to_string(bad + skipped) + " cannot be read");
  return utf8;
}

std::string RewriteDeclaredEncoding(std::string_view xml, std::string_view encoding) {
  if (xml.empty()) return std::string();
  const std::string attribute = " encoding=\"" + std::string(encoding) + "\"";
  // A declaration is "<?xml" followed by white space; "<?xml-stylesheet" is not one.
  const bool has_declaration =
      xml.rfind("<?xml", 0) == 0 && xml.size() > 5 &&
      (xml[5] == ' ' || xml[5] == '\t' || xml[5] == '\r' || xml[5] == '\n' || xml[5] == '?');
  const size_t end = has_declaration ? xml.find("?>") : std::string_view::npos;
  if (end == std::string_view::npos)
    return "<?xml version=\"1.0\"" + attribute + "?>\n" + std::string(xml);

  const std::string declaration(xml.substr(0, end));
  const std::string rest(xml.substr(end));
  static const std::regex kEncoding(R"([ \t\r\n]+encoding[ \t\r\n]*=[ \t\r\n]*("[^"]*"|'[^']*'))");
  static const std::regex kVersion(R"([ \t\r\n]+version[ \t\r\n]*=[ \t\r\n]*("[^"]*"|'[^']*'))");
  std::smatch match;
  if (std::regex_search(declaration, match, kEncoding))
    return match.prefix().str() + attribute + match.suffix().str() + rest;
  // The encoding attribute goes after the version and before any standalone.
  const size_t at = std::regex_search(declaration, match, kVersion)
                        ? static_cast<size_t>(match.position(0) + match.length(0))
                        : 5;
  return declaration.substr(0, at) + attribute + declaration.substr(at) + rest;
}

std::string EncodeResponse(std::string_view utf8, ResponseEncoding encoding) {
  if (encoding == ResponseEncoding::kUtf8) return std::string(utf8);

  const std::string declared = RewriteDeclaredEncoding(utf8, "GB2312");
  if (!IsValidUtf8(declared)) throw EncodingError("the response is not valid UTF-8 text");
  // Only GB2312's own codes are written, so the bytes are what the declaration
  // says and a strict reader takes them (CP936 would add codes GB2312 lacks,
  // such as D1 75 for U+88FD). A character GB2312 cannot hold is written as an
  // XML character reference, which stands for that character in a document
  // of any encoding: the module has already marked the orders of a GetData
  // response as handed over, so refusing the response here would lose them.
  // The response's own markup is ASCII, so a reference only ever stands in
  // text or a value.
  std::string bytes;
  bytes.reserve(declared.size());
  std::string_view rest(declared);
  while (true) {
    const size_t bad = Convert(rest, "UTF-8", "GB2312", &bytes);
    if (bad == kConverted || bad >= rest.size()) break;
    rest.remove_prefix(bad);
    bytes += "&#x" + Hex(CodePointAt(rest), 4) + ";";
    rest.remove_prefix(CharacterLength(static_cast<unsigned char>(rest[0])));
  }
  return bytes;
}

}  // namespace gateway::host
