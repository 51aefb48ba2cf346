// The database password as the gateway configuration stores it: each byte
// rotated by an amount that depends on its position and written as two
// hexadecimal digits. DecodePasswordItem restores the plain password inside a
// connection string before the string reaches a database driver.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// Stands for an empty password, so that an encoded password is never empty.
inline constexpr std::string_view kEmptyPasswordMarker = "KV_Say_NoPassWord_ThePassWordIsEmpty";
// What DecodeSQLSa returns in place of a password it cannot decode.
inline constexpr std::string_view kPasswordError = "KV_Say_Password_Error";

// Uppercase hexadecimal of every byte rotated right by its 1-based position mod 8.
std::string EncodeSQLSa(std::string_view plain);

// The inverse of EncodeSQLSa (either letter case; a last odd digit is ignored;
// the marker gives the empty text). A digit that is not hexadecimal gives
// kPasswordError and one error report; nothing is raised.
std::string DecodeSQLSa(std::string_view encoded);

// The ';'-separated connection string with its "Password" item decoded.
std::string DecodePasswordItem(const std::string& connection_string);

}  // namespace gateway
