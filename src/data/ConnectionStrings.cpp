#include "data/ConnectionStrings.h"

#include "data/Connection.h"
#include "text/ListText.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

struct SplitItem {
  std::string name;   // trimmed
  std::string value;  // as written
};

SplitItem SplitAtEquals(std::string_view item) {
  const size_t equals = item.find('=');
  if (equals == std::string_view::npos) return {Trim(item), std::string()};
  return {Trim(item.substr(0, equals)), std::string(item.substr(equals + 1))};
}

}  // namespace

std::string SetConnectionItem(std::string_view connection_string, std::string_view key,
                              std::string_view value) {
  std::string rest(connection_string);
  std::string result;
  bool found = false;
  while (!rest.empty()) {
    const std::string item = CutFirstItem(rest, ";");
    const SplitItem split = SplitAtEquals(item);
    if (SameTextAscii(split.name, key)) {
      result += split.name + "=" + std::string(value);
      found = true;
    } else {
      result += item;
    }
    if (!rest.empty()) result += ";";
  }
  if (found) return result;
  const std::string added = std::string(key) + "=" + std::string(value);
  return Trim(result).empty() ? added : result + ";" + added;
}

std::string GetConnectionItem(std::string_view connection_string, std::string_view key) {
  std::string rest(connection_string);
  while (!rest.empty()) {
    const SplitItem split = SplitAtEquals(CutFirstItem(rest, ";"));
    if (SameTextAscii(split.name, key)) return split.value;
  }
  return std::string();
}

void ExtractConnectionItem(std::string& connection_string, std::string_view key,
                           std::string& value) {
  value.clear();
  std::string rest = connection_string;
  std::string kept;
  while (!rest.empty()) {
    const std::string item = CutFirstItem(rest, ";");
    const SplitItem split = SplitAtEquals(item);
    if (SameTextAscii(split.name, key)) {
      value = split.value;
    } else {
      kept += ";" + item;
    }
  }
  connection_string = kept.empty() ? kept : kept.substr(1);
}

std::string GetExtendedProperty(std::string_view connection_string, std::string_view key) {
  // An empty string names no provider yet has no properties either; it must
  // stay assignable, so that a connection string can be cleared.
  if (Trim(connection_string).empty()) return std::string();
  return GetConnectionItem(ExtendedPropertiesOf(connection_string), key);
}

}  // namespace gateway
