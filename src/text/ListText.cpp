#include "text/ListText.h"

#include "gateway/Exception.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

// The `key=value` items of a ";"-separated text, one per line.
std::vector<std::string> KeyValueLines(std::string_view text) {
  return SplitLines(ReplaceAllRepeated(text, ";", "\n", true));
}

// The index of the first line whose name is the key, or -1.
int IndexOfKey(const std::vector<std::string>& lines, std::string_view key) {
  const std::string wanted = Trim(key);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t equals = lines[i].find('=');
    if (equals != std::string::npos &&
        SameTextAscii(Trim(std::string_view(lines[i]).substr(0, equals)), wanted)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}


std::string GetNthItem(std::string_view text, std::string_view separator, int n) {
  int i = 1;
  std::string_view item;
  if (!text.empty()) {
    while (i <= n) {
      const std::size_t q = separator.empty() ? std::string_view::npos : text.find(separator);
      if (q == std::string_view::npos) {
        item = text;
        break;
      }
      item = text.substr(0, q);
      text.remove_prefix(q + separator.size());
      ++i;
    }
  }
  return i < n ? std::string() : std::string(item);
}

int CountItems(std::string_view text, std::string_view separator) {
  if (text.empty()) return 0;
  int count = 1;
  if (separator.empty()) return count;
  for (std::size_t pos = text.find(separator); pos != std::string_view::npos;
       pos = text.find(separator, pos + separator.size())) {
    ++count;
  }
  return count;
}

std::string CutFirstItem(std::string& list, std::string_view separator) {
  const std::size_t q = separator.empty() ? std::string::npos : list.find(separator);
  std::string item;
  if (q == std::string::npos) {
    item.swap(list);
  } else {
    item = list.substr(0, q);
    list.erase(0, q + separator.size());
  }
  return item;
}

void SplitToList(std::string_view text, std::string_view separator,
                 std::vector<std::string>& list) {
  // The items CutFirstItem would cut one after the other, found by position:
  // cutting each from the front would move the rest of the text every time.
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t q = separator.empty() ? std::string_view::npos : text.find(separator, start);
    if (q == std::string_view::npos) {
      list.push_back(Trim(text.substr(start)));
      return;
    }
    list.push_back(Trim(text.substr(start, q - start)));
    start = q + separator.size();
  }
}

std::string ReplaceAllRepeated(std::string_view text, std::string_view from, std::string_view to,
                               bool trim) {
  std::string result(text);
  if (!from.empty() && !SameTextAscii(from, to)) {
    if (to.find(from) != std::string_view::npos) {
      throw Exception("Replacing [" + std::string(from) + "] by [" + std::string(to) +
                      "] repeatedly never ends!");
    }
    // Everything before a replacement held no `from`, so a new occurrence can
    // only begin within the last from.size()-1 characters before it; searching
    // from there finds the same first occurrence as searching from the start.
    std::size_t pos = result.find(from);
    while (pos != std::string::npos) {
      result.replace(pos, from.size(), to);
      pos = result.find(from, pos >= from.size() - 1 ? pos - (from.size() - 1) : 0);
    }
  }
  return trim ? Trim(result) : result;
}

void AppendItem(std::string& list, std::string_view separator, std::string_view item) {
  if (!list.empty()) list += separator;
  list += item;
}

std::string ChooseText(bool condition, std::string_view when_true, std::string_view when_false) {
  return std::string(condition ? when_true : when_false);
}

std::string GetKeyValue(std::string_view text, std::string_view key) {
  const std::vector<std::string> lines = KeyValueLines(text);
  const int index = IndexOfKey(lines, key);
  if (index < 0) return std::string();
  const std::string& line = lines[static_cast<std::size_t>(index)];
  return line.substr(line.find('=') + 1);
}

std::string SetKeyValue(std::string_view value, std::string_view text, std::string_view key) {
  std::vector<std::string> lines = KeyValueLines(text);
  const int index = IndexOfKey(lines, key);
  if (!value.empty()) {
    std::string line = std::string(key) + "=" + std::string(value);
    if (index < 0) {
      lines.push_back(std::move(line));
    } else {
      lines[static_cast<std::size_t>(index)] = std::move(line);
    }
  } else if (index >= 0) {
    lines.erase(lines.begin() + index);
  }
  std::string joined;
  for (const std::string& line : lines) joined += line + "\n";
  return ReplaceAllRepeated(joined, "\n", ";", true);
}

}  // namespace gateway
