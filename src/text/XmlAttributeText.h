// Writes attribute values as libxml2's serialiser writes them in this
// library's documents, for output produced without building a DOM: the
// bytes must equal what a document built and serialised would give.
#pragma once

#include <string>
#include <string_view>

namespace gateway {

// Appends `value` escaped for a double-quoted attribute: & < > " as entity
// references, tab, line feed and carriage return as character references,
// every other character as it is. Returns false, leaving `out` as it was,
// when the value is not valid UTF-8 or holds a character XML does not allow
// (control characters, U+FFFE, U+FFFF): such text has no faithful written
// form, and the caller takes the DOM's way instead.
bool AppendAttributeValue(std::string& out, std::string_view value);

// The offset of the first character of `value` that XML cannot carry (as
// above: not valid UTF-8, a control character, U+FFFE, U+FFFF), or npos.
std::size_t UnwritableCharacterOffset(std::string_view value);

}  // namespace gateway
