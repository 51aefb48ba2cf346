// Integers written as a configuration or connection string writes them:
// decimal with an optional sign, or hexadecimal after "0x" or "$".
#pragma once

#include <optional>
#include <string_view>

namespace gateway {

// The value, or nullopt for text that is not such a number or lies outside int.
std::optional<int> ParseIntegerText(std::string_view text);

}  // namespace gateway
