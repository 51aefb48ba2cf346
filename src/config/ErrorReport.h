// Writes a readable report of one failure to the generator alert log: a title
// line, the exception's details by kind, their count and an optional note from
// the programmer. Each line is its own log entry with its own time stamp.
#pragma once

#include <exception>
#include <string_view>

namespace gateway {

// `e` may be null: then only the title line and the programmer's note are
// written. Messages are copied verbatim (a "%" in them stays as it is). Never
// throws; a line that cannot be written is lost and the rest are still tried.
void WriteErrorReport(const std::exception* e, std::string_view title,
                      std::string_view programmer_message) noexcept;

}  // namespace gateway
