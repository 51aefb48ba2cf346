// A read-only INI file as the gateway's profile reader sees it: sections and
// keys match without regard to ASCII letter case, values come back trimmed with
// one pair of surrounding matching quotes removed, and lines starting with ';'
// are comments. Text is UTF-8; a file whose bytes are not valid UTF-8 is read as
// GB2312 (code page 936) and converted.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace gateway {

class IniFile {
 public:
  // Reads the whole file at once. A file that is missing or cannot be read
  // gives an object without sections, so every read returns its default.
  explicit IniFile(const std::string& path);

  // Builds the object from file bytes already in memory (same decoding rules).
  static IniFile FromBytes(std::string_view bytes);

  // The value of the key, or `default_value` when the section or key is absent.
  // A key that occurs twice in a section reads as its first occurrence.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) const;
  // Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign.
  // Text that is not such a number, or does not fit an int, gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int default_value) const;
  // Read as an integer: 0 is false, any other number true, anything else the default.
  bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;

  bool SectionExists(std::string_view section) const;

 private:
  IniFile() = default;
  void Parse(std::string_view bytes);
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // Section and key names upper-cased (ASCII) for the lookup.
  std::map<std::string, std::map<std::string, std::string>, std::less<>> sections_;
};

}  // namespace gateway
