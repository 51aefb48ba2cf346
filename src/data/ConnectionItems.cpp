#include "data/ConnectionItems.h"

#include "text/TextCase.h"

namespace gateway {

namespace {

bool IsPasswordName(std::string_view name) {
  return SameTextAscii(name, "Password") || SameTextAscii(name, "PWD") ||
         SameTextAscii(name, "Jet OLEDB:Database Password");
}

// One item as written: its name and value, where the value's text lies, and
// the quote it was written in.
struct ItemSpan {
  ConnectionItem item;
  bool has_value = false;  // the item has an "="
  size_t value_begin = 0;  // the first byte after the "="
  size_t value_end = 0;    // the ";" that ends the item, or the end of the text
  char open = '\0';        // '"', '\'', '{', or '\0' for a value without quotes
};

std::vector<ItemSpan> ScanConnectionItems(std::string_view text) {
  std::vector<ItemSpan> spans;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t equals = text.find_first_of("=;", pos);
    if (equals == std::string_view::npos || text[equals] == ';') {
      // An item without "=": a name with an empty value (or nothing at all).
      const size_t end = equals == std::string_view::npos ? text.size() : equals;
      std::string name = Trim(text.substr(pos, end - pos));
      if (!name.empty()) spans.push_back({{std::move(name), {}}, false, end, end, '\0'});
      pos = end + 1;
      continue;
    }
    ItemSpan span{{Trim(text.substr(pos, equals - pos)), {}}, true, equals + 1, 0, '\0'};
    ConnectionItem& item = span.item;
    pos = equals + 1;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const char open = pos < text.size() ? text[pos] : '\0';
    if (open == '"' || open == '\'' || open == '{') {
      span.open = open;
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
      span.value_end = end == std::string_view::npos ? text.size() : end;
    } else {
      const size_t end = text.find(';', pos);
      span.value_end = end == std::string_view::npos ? text.size() : end;
      item.Value = Trim(text.substr(pos, span.value_end - pos));
    }
    pos = span.value_end + 1;
    if (!item.Name.empty()) spans.push_back(std::move(span));
  }
  return spans;
}

// `value` in the quotes that `open` starts, the closing quote doubled inside.
std::string Quoted(std::string_view value, char open) {
  const char close = open == '{' ? '}' : open;
  std::string text(1, open);
  for (const char c : value) {
    text += c;
    if (c == close) text += close;
  }
  text += close;
  return text;
}

}  // namespace

std::vector<ConnectionItem> SplitConnectionItems(std::string_view text) {
  std::vector<ConnectionItem> items;
  for (ItemSpan& span : ScanConnectionItems(text)) items.push_back(std::move(span.item));
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
    text += braces ? Quoted(item.Value, '{') : item.Value;
  }
  return text;
}

std::string MaskConnectionString(std::string_view text) {
  std::string masked;
  size_t copied = 0;
  for (const ItemSpan& span : ScanConnectionItems(text)) {
    if (!span.has_value) continue;
    std::string replacement;
    if (IsPasswordName(span.item.Name)) {
      // Even an empty password: the mask must not tell whether there is one.
      replacement = "***";
    } else if (span.open != '\0') {
      // A quoted value may hold items of its own ("Extended Properties",
      // which an ODBC provider hands to its driver with their PWD).
      const std::string inner = MaskConnectionString(span.item.Value);
      if (inner == span.item.Value) continue;
      replacement = Quoted(inner, span.open);
    } else {
      continue;
    }
    masked.append(text.substr(copied, span.value_begin - copied));
    masked += replacement;
    copied = span.value_end;
  }
  masked.append(text.substr(copied));
  return masked;
}

std::string ConnectionTarget(std::string_view text) {
  constexpr std::string_view kTargetItems[] = {"DSN",    "Driver",   "Server",          "Servername",
                                               "Host",   "Port",     "Database",        "Data Source",
                                               "Initial Catalog"};
  std::string target;
  for (const ConnectionItem& item : SplitConnectionItems(text)) {
    for (const std::string_view name : kTargetItems) {
      if (!SameTextAscii(item.Name, name)) continue;
      if (!target.empty()) target += ';';
      target += item.Name + "=" + item.Value;
    }
  }
  return target;
}

}  // namespace gateway
