// Byte-wise text helpers shared by every subsystem: trimming as the gateway's
// texts are trimmed (blanks and control characters, every byte up to 0x20) and
// ASCII-only case conversion, which leaves the bytes of multi-byte UTF-8
// characters alone.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// Removes every byte <= 0x20 from both ends.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);

// Converts a-z to A-Z (or back); every other byte stays.
std::string UpperCaseAscii(std::string_view text);
std::string LowerCaseAscii(std::string_view text);

// True when the two texts are equal after ASCII upper-casing.
bool SameTextAscii(std::string_view a, std::string_view b);

// Replaces every occurrence of `from` (left to right, without overlap) by `to`.
// An empty `from` leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

}  // namespace gateway
