#include "config/IniFile.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>

#include "config/IntegerText.h"
#include "config/TextEncoding.h"
#include "text/TextCase.h"

namespace gateway {

namespace {

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile::IniFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return;
  std::string bytes;
  // A read that fails (a directory, an I/O error) counts as an unreadable file;
  // the stream library reports some of these by throwing.
  try {
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return;
  }
  if (file.bad()) return;
  Parse(bytes);
}

IniFile IniFile::FromBytes(std::string_view bytes) {
  IniFile ini;
  ini.Parse(bytes);
  return ini;
}

void IniFile::Parse(std::string_view bytes) {
  const std::string text = DecodeFileBytes(bytes);
  std::map<std::string, std::string>* section = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (const size_t close = line.rfind(']'); close != std::string::npos) {
        section = &sections_[UpperCaseAscii(Trim(line.substr(1, close - 1)))];
        continue;
      }
    }
    const size_t equals = line.find('=');
    // Keys before the first section and lines without "=" cannot be read back.
    if (section == nullptr || equals == std::string::npos) continue;
    section->emplace(UpperCaseAscii(Trim(line.substr(0, equals))),
                     Unquote(Trim(line.substr(equals + 1))));
  }
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(UpperCaseAscii(Trim(section)));
  if (s == sections_.end()) return std::nullopt;
  const auto k = s->second.find(UpperCaseAscii(Trim(key)));
  if (k == s->second.end()) return std::nullopt;
  return k->second;
}

bool IniFile::SectionExists(std::string_view section) const {
  return sections_.find(UpperCaseAscii(Trim(section))) != sections_.end();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  auto value = Find(section, key);
  return value ? std::move(*value) : std::string(default_value);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) const {
  const auto value = Find(section, key);
  if (!value) return default_value;
  return ParseIntegerText(*value).value_or(default_value);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

}  // namespace gateway
