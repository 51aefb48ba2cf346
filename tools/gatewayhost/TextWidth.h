// How wide UTF-8 text shows on a terminal, so that tables of Chinese text line
// up: the C library's wcwidth under its built-in C.UTF-8 locale (a wide
// character takes two columns, a combining mark none), whatever locale the
// host was started in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gateway::host {

// The columns `text` takes. A character the C library calls unprintable
// counts as one column, as a terminal shows it as a replacement.
size_t DisplayWidth(std::string_view text);

// The text on one line: line breaks, tabs and other control characters are
// written as \n, \t, \r or \xHH.
std::string OneLine(std::string_view text);

}  // namespace gateway::host
