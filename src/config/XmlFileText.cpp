#include "config/XmlFileText.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

#include "config/Errors.h"
#include "config/TextEncoding.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
// An XML declaration is short; a file whose first "?>" lies further away has
// none worth reading.
constexpr std::size_t kDeclarationSearchLength = 1024;

bool IsNameByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == ':';
}

// The value of the encoding pseudo-attribute of the declaration that opens the
// bytes (after blanks), or an empty text when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size() && static_cast<unsigned char>(bytes[start]) <= 0x20) ++start;
  if (bytes.substr(start, 5) != "<?xml") return std::string();
  const std::size_t end = bytes.substr(0, kDeclarationSearchLength).find("?>", start);
  if (end == std::string_view::npos) return std::string();
  const std::string declaration = LowerCaseAscii(bytes.substr(start, end - start));
  const std::size_t key = declaration.find("encoding");
  if (key == std::string::npos) return std::string();
  std::size_t i = key + 8;
  while (i < declaration.size() && declaration[i] <= ' ') ++i;
  if (i >= declaration.size() || declaration[i] != '=') return std::string();
  ++i;
  while (i < declaration.size() && declaration[i] <= ' ') ++i;
  if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) {
    return std::string();
  }
  const char quote = declaration[i++];
  const std::size_t close = declaration.find(quote, i);
  if (close == std::string::npos) return std::string();
  // The name is taken from the original bytes' positions (same length, since
  // only ASCII letters changed case) but compared upper-cased by the caller.
  const std::string_view name = bytes.substr(start + i, close - i);
  for (char c : name) {
    if (!IsNameByte(c)) return std::string();
  }
  return std::string(name);
}

// The iconv name for a declared encoding. GB2312 is read as CP936, its
// superset, as the system's own texts were; the other names go to iconv as
// they stand.
std::string CharsetFor(const std::string& declared) {
  const std::string upper = UpperCaseAscii(declared);
  if (upper == "GB2312" || upper == "GBK" || upper == "CP936" || upper == "MS936" ||
      upper == "WINDOWS-936" || upper == "EUC-CN" || upper == "X-GBK") {
    return "CP936";
  }
  if (upper == "UTF8") return "UTF-8";
  return upper;
}

// True for the 16- and 32-bit encodings, which a declaration readable as
// ASCII bytes cannot truthfully claim.
bool IsWideCharset(const std::string& charset) {
  return charset.rfind("UTF-16", 0) == 0 || charset.rfind("UTF-32", 0) == 0 ||
         charset.rfind("UCS-2", 0) == 0 || charset.rfind("UCS-4", 0) == 0 || charset == "UNICODE";
}

std::string Convert(std::string_view bytes, const std::string& charset) {
  std::optional<std::string> text = ConvertToUtf8(bytes, charset);
  if (!text) throw Exception("The file's encoding \"" + charset + "\" is not supported");
  return *std::move(text);
}

}  // namespace

std::string DecodeXmlFileBytes(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    return Convert(bytes.substr(kUtf8Bom.size()), "UTF-8");
  }
  if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
    return Convert(bytes.substr(kUtf16LeBom.size()), "UTF-16LE");
  }
  if (bytes.substr(0, kUtf16BeBom.size()) == kUtf16BeBom) {
    return Convert(bytes.substr(kUtf16BeBom.size()), "UTF-16BE");
  }
  // UTF-16 without a mark shows itself by the "<?" of its declaration.
  if (bytes.substr(0, 4) == std::string_view("<\0?\0", 4)) return Convert(bytes, "UTF-16LE");
  if (bytes.substr(0, 4) == std::string_view("\0<\0?", 4)) return Convert(bytes, "UTF-16BE");

  const std::string declared = DeclaredEncoding(bytes);
  if (declared.empty()) return DecodeFileBytes(bytes);
  const std::string charset = CharsetFor(declared);
  if (IsWideCharset(charset)) return DecodeFileBytes(bytes);
  return Convert(bytes, charset);
}

std::string ReadXmlFileText(const std::string& path) {
  // A directory would open and read as an empty file.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw EInOutError("Cannot read file \"" + path + "\": " + std::strerror(EISDIR), EISDIR);
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    const int error = errno;
    throw EInOutError("Cannot open file \"" + path + "\": " + std::strerror(error), error);
  }
  std::string bytes;
  // The stream library may report a failed read by throwing.
  try {
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    file.setstate(std::ios::badbit);
  }
  if (file.bad()) {
    const int error = errno;
    throw EInOutError("Cannot read file \"" + path + "\": " + std::strerror(error), error);
  }
  return DecodeXmlFileBytes(bytes);
}

}  // namespace gateway
