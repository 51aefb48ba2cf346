// Reading and changing the items of a ';'-separated connection string the way
// the connection and query wrappers do: names compared trimmed and without
// regard to ASCII case, values never trimmed, no quoting recognised.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// Replaces every item named `key` by "name=value" (keeping the name as written,
// trimmed) or, when there is none, appends "key=value". A trailing ';' of the
// input is dropped; empty items between separators stay.
std::string SetConnectionItem(std::string_view connection_string, std::string_view key,
                              std::string_view value);

// The value text of the first item named `key`; empty when there is none.
std::string GetConnectionItem(std::string_view connection_string, std::string_view key);

// Removes every item named `key` from the string; `value` receives the value
// of the last one (empty when there was none).
void ExtractConnectionItem(std::string& connection_string, std::string_view key,
                           std::string& value);

// The item `key` of the provider's "Extended Properties" of the connection
// string (empty for a blank string). Raises EDatabaseError for a string whose
// provider is not supported.
std::string GetExtendedProperty(std::string_view connection_string, std::string_view key);

}  // namespace gateway
