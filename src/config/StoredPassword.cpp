#include "config/StoredPassword.h"

#include <cstdint>

#include "config/ErrorReport.h"
#include "gateway/Exception.h"
#include "text/ListText.h"

namespace gateway {

namespace {

uint8_t RotateRight(uint8_t byte, unsigned count) {
  count %= 8;
  return count == 0 ? byte : static_cast<uint8_t>((byte >> count) | (byte << (8 - count)));
}

uint8_t RotateLeft(uint8_t byte, unsigned count) {
  count %= 8;
  return count == 0 ? byte : static_cast<uint8_t>((byte << count) | (byte >> (8 - count)));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string EncodeSQLSa(std::string_view plain) {
  if (plain.empty()) plain = kEmptyPasswordMarker;
  static const char kDigits[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(plain.size() * 2);
  for (size_t i = 0; i < plain.size(); ++i) {
    const uint8_t byte = RotateRight(static_cast<uint8_t>(plain[i]), static_cast<unsigned>(i + 1));
    encoded += kDigits[byte >> 4];
    encoded += kDigits[byte & 0x0F];
  }
  return encoded;
}

std::string DecodeSQLSa(std::string_view encoded) {
  std::string plain;
  plain.reserve(encoded.size() / 2);
  for (size_t a = 1; encoded.size() >= 2 * a; ++a) {
    const int high = HexDigit(encoded[2 * a - 2]);
    const int low = HexDigit(encoded[2 * a - 1]);
    if (high < 0 || low < 0) {
      // The report names the position only: neither the stored text nor what
      // was decoded so far may reach a log.
      const Exception error("Invalid hexadecimal digit in the stored password at position " +
                            std::to_string(high < 0 ? 2 * a - 1 : 2 * a));
      WriteErrorReport(&error, EncodeSQLSa("DecodeSQLSa"), "解析 Sa 时发生错误!");
      return std::string(kPasswordError);
    }
    plain += static_cast<char>(RotateLeft(static_cast<uint8_t>(high * 16 + low), static_cast<unsigned>(a)));
  }
  if (plain == kEmptyPasswordMarker) return std::string();
  return plain;
}

std::string DecodePasswordItem(const std::string& connection_string) {
  return SetKeyValue(DecodeSQLSa(GetKeyValue(connection_string, "Password")), connection_string,
                     "Password");
}

}  // namespace gateway
