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

// A byte-order mark, the encoding it stands for and that encoding's name.
struct ByteOrderMark {
  std::string_view bytes;
  const char* charset;
  const char* name;
};
constexpr ByteOrderMark kByteOrderMarks[] = {{kByteOrderMark, "UTF-8", "UTF-8"},
                                             {"\xFF\xFE", "UTF-16LE", "UTF-16"},
                                             {"\xFE\xFF", "UTF-16BE", "UTF-16"}};

const std::regex kEncodingAttribute(R"([ \t\r\n]+encoding[ \t\r\n]*=[ \t\r\n]*("[^"]*"|'[^']*'))");

// Where the XML declaration that opens the text ends (its "?>"), or npos when
// the text opens with none. "<?xml-stylesheet" is not one, and neither is
// anything that does not end within the first kilobyte.
size_t DeclarationEnd(std::string_view xml) {
  const bool opens =
      xml.rfind("<?xml", 0) == 0 && xml.size() > 5 &&
      (xml[5] == ' ' || xml[5] == '\t' || xml[5] == '\r' || xml[5] == '\n' || xml[5] == '?');
  return opens ? xml.substr(0, 1024).find("?>") : std::string_view::npos;
}

// The encoding the text's XML declaration names, as written; empty without one.
// Blanks before the declaration are passed over (the XML parser refuses them
// later, but the bytes are read as the request meant them).
std::string DeclaredEncoding(std::string_view xml) {
  const size_t start = std::min(xml.find_first_not_of(" \t\r\n"), xml.size());
  const std::string_view rest = xml.substr(start);
  const size_t end = DeclarationEnd(rest);
  if (end == std::string_view::npos) return std::string();
  const std::string declaration(rest.substr(0, end));
  std::smatch match;
  if (!std::regex_search(declaration, match, kEncodingAttribute)) return std::string();
  const std::string quoted = match[1].str();
  return quoted.substr(1, quoted.size() - 2);
}

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The converter's name for a declared encoding (upper-cased). The names of
// GB2312 and its extension GBK are read as CP936, as the system's own texts
// and legacy peers write them; the others go to the converter as they stand.
std::string CharsetFor(const std::string& declared) {
  for (const char* name : {"GB2312", "GBK", "CP936", "MS936", "WINDOWS-936", "EUC-CN", "X-GBK"})
    if (declared == name) return "CP936";
  if (declared == "UTF8") return "UTF-8";
  return declared;
}

// The 16- and 32-bit encodings, which a declaration readable as single bytes
// cannot truthfully name.
bool IsWide(const std::string& charset) {
  for (const char* prefix : {"UTF-16", "UTF-32", "UCS-2", "UCS-4", "UNICODE"})
    if (charset.rfind(prefix, 0) == 0) return true;
  return false;
}

// The bytes of `charset` as UTF-8, refused at the first sequence that is not
// valid in it; `offset` is where the bytes began in the request, `what` says
// what they were read as.
std::string Decode(std::string_view bytes, const std::string& charset, size_t offset,
                   const std::string& what, const std::string& hint = "") {
  std::string utf8;
  size_t bad = kConverted;
  try {
    if (charset == "UTF-8") {
      // Checked on the way to UTF-32, which refuses overlong forms and
      // surrogates; the bytes themselves are the text.
      bad = Convert(bytes, "UTF-8", "UTF-32LE", nullptr);
      if (bad == kConverted) utf8.assign(bytes);
    } else {
      utf8.reserve(bytes.size() * 3 / 2);
      bad = Convert(bytes, charset.c_str(), "UTF-8", &utf8);
    }
  } catch (const EncodingError&) {
    throw EncodingError("the request is meant to be " + what + ", which this system cannot read");
  }
  if (bad == kConverted) return utf8;
  throw EncodingError("not valid " + what + ": byte 0x" +
                      Hex(static_cast<unsigned char>(bytes[bad]), 2) + " at offset " +
                      std::to_string(bad + offset) + " cannot be read" + hint);
}

}  // namespace

std::string DecodeRequestBytes(std::string_view bytes) {
  // A byte-order mark says the encoding itself; a declaration may then only agree.
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    if (bytes.substr(0, mark.bytes.size()) != mark.bytes) continue;
    std::string utf8 = Decode(bytes.substr(mark.bytes.size()), mark.charset, mark.bytes.size(),
                              std::string(mark.name) + " text, as its byte-order mark says");
    const std::string declared = UpperCase(DeclaredEncoding(utf8));
    const std::string_view family = std::string_view(mark.charset).substr(0, 6);
    if (!declared.empty() && CharsetFor(declared).substr(0, family.size()) != family)
      throw EncodingError("the request starts with the byte-order mark of " +
                          std::string(mark.name) + " but declares encoding=\"" +
                          DeclaredEncoding(utf8) + "\"");
    return utf8;
  }
  const std::string declared = DeclaredEncoding(bytes);
  // Without a declaration a request is UTF-8, as XML has it; it is never
  // guessed from its bytes, which can be valid in more than one encoding.
  if (declared.empty())
    return Decode(bytes, "UTF-8", 0, "UTF-8 text, the encoding of a request that declares none",
                  " (a GB2312 request says encoding=\"GB2312\" in its XML declaration)");
  const std::string charset = CharsetFor(UpperCase(declared));
  if (IsWide(charset))
    throw EncodingError("the request declares encoding=\"" + declared +
                        "\", but its declaration is written in single bytes");
  return Decode(bytes, charset, 0, declared + " text, the encoding its XML declaration names");
}

std::string RewriteDeclaredEncoding(std::string_view xml, std::string_view encoding) {
  if (xml.empty()) return std::string();
  const std::string attribute = " encoding=\"" + std::string(encoding) + "\"";
  const size_t end = DeclarationEnd(xml);
  if (end == std::string_view::npos)
    return "<?xml version=\"1.0\"" + attribute + "?>\n" + std::string(xml);

  const std::string declaration(xml.substr(0, end));
  const std::string rest(xml.substr(end));
  static const std::regex kVersion(R"([ \t\r\n]+version[ \t\r\n]*=[ \t\r\n]*("[^"]*"|'[^']*'))");
  std::smatch match;
  if (std::regex_search(declaration, match, kEncodingAttribute))
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
