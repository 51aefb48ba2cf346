#include "data/ConnectionItems.h"

#include "text/TextCase.h"

namespace gateway {

namespace {

bool IsPasswordName(std::string_view name) {
  return SameTextAscii(name, "Password") || SameTextAscii(name, "PWD") ||
         SameTextAscii(name, "Jet OLEDB:Database Password");
}

}  // namespace

std::vector<ConnectionItem> SplitConnectionItems(std::string_view text) {
  std::vector<ConnectionItem> items;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t equals = text.find_first_of("=;", pos);
    if (equals == std::string_view::npos || text[equals] == ';') {
      // An item without "=": a name with an empty value (or nothing at all).
      const size_t end = equals == std::string_view::npos ? text.size() : equals;
      std::string name = Trim(text.substr(pos, end - pos));
      if (!name.empty()) items.push_back({std::move(name), {}});
      pos = end + 1;
      continue;
    }
    ConnectionItem item{Trim(text.substr(pos, equals - pos)), {}};
    pos = equals + 1;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const char open = pos < text.size() ? text[pos] : '\0';
    if (open == '"' || open == '\'' || open == '{') {
      const char close = open == '{' ? '}' : open;
      ++pos;
      while (pos < text.size()) {
        if (text[pos] == close) {
          if (pos + 1 < text.size() && text[pos + 1] == close) {
            item.Value += close;
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        item.Value += text[pos++];
      }
      // Anything between the closing quote and the next ";" is dropped.
      const size_t end = text.find(';', pos);
      pos = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      const size_t end = text.find(';', pos);
      const size_t stop = end == std::string_view::npos ? text.size() : end;
      item.Value = Trim(text.substr(pos, stop - pos));
      pos = stop + 1;
    }
    if (!item.Name.empty()) items.push_back(std::move(item));
  }
  return items;
}

std::string FindConnectionItem(const std::vector<ConnectionItem>& items, std::string_view name) {
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    if (SameTextAscii(it->Name, name)) return it->Value;
  }
  return {};
}

bool HasConnectionItem(const std::vector<ConnectionItem>& items, std::string_view name) {
  for (const ConnectionItem& item : items) {
    if (SameTextAscii(item.Name, name)) return true;
  }
  return false;
}

std::string JoinOdbcItems(const std::vector<ConnectionItem>& items) {
  std::string text;
  for (const ConnectionItem& item : items) {
    if (!text.empty()) text += ';';
    text += item.Name;
    text += '=';
    const bool braces = item.Value.find_first_of(";{}=") != std::string::npos ||
                        (!item.Value.empty() &&
                         (item.Value.front() == ' ' || item.Value.back() == ' '));
    if (braces) {
      text += '{';
      for (const char c : item.Value) {
        text += c;
        if (c == '}') text += '}';
      }
      text += '}';
    } else {
      text += item.Value;
    }
  }
  return text;
}

std::string MaskConnectionString(std::string_view text) {
  std::string masked;
  for (const ConnectionItem& item : SplitConnectionItems(text)) {
    if (!masked.empty()) masked += ';';
    masked += item.Name;
    masked += '=';
    masked += IsPasswordName(item.Name) ? std::string("***") : item.Value;
  }
  return masked;
}

}  // namespace gateway
