// Separated lists and `key=value` texts: how pools cut and join the values of
// a request. A list text is items joined by a separator; items are 1-based and
// an empty separator is never found, so with an empty separator a non-empty
// text is one item. A `key=value` text is items joined by ";".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gateway {

// The n-th item (1-based), or an empty text when there is none (n < 1 too).
std::string GetNthItem(std::string_view text, std::string_view separator, int n);
// The number of items: 0 for an empty text, else one more than the separators.
int CountItems(std::string_view text, std::string_view separator);
// Removes the first item and the separator after it from the list and returns
// the item; without a separator the whole list is the item and it empties.
std::string CutFirstItem(std::string& list, std::string_view separator);
// Appends every item, trimmed, to `list` (which is not emptied first). A
// separator at the very end adds no empty item.
void SplitToList(std::string_view text, std::string_view separator, std::vector<std::string>& list);
// Replaces `from` by `to` until no `from` is left (searching again from where
// a new occurrence could begin), then trims when asked. Nothing is replaced
// when the two are equal ignoring ASCII case or `from` is empty; a `to` that
// contains `from` could never finish and raises gateway::Exception.
std::string ReplaceAllRepeated(std::string_view text, std::string_view from, std::string_view to,
                               bool trim);
// Appends an item, preceded by the separator unless the list is empty.
void AppendItem(std::string& list, std::string_view separator, std::string_view item);
std::string ChooseText(bool condition, std::string_view when_true, std::string_view when_false);

// The value (everything after the first "=") of the first item whose name
// equals the key ignoring ASCII case and surrounding blanks; empty when none.
std::string GetKeyValue(std::string_view text, std::string_view key);
// The text with the key's item set to `value` (replaced, or appended when
// missing) or, for an empty value, removed. Every item of the result,
// the last included, is followed by ";".
std::string SetKeyValue(std::string_view value, std::string_view text, std::string_view key);

// The lines of a text broken at CR LF, CR or LF; a line break at the very end
// starts no further line, and an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace gateway
