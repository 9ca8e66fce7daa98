// Ini files as the host's configuration files are written: "[Section]" lines, "Key=Value"
// lines, comments. Sections and keys compare ignoring ASCII letter case; the first occurrence
// of a section or key wins. Lines that are neither (no "=", no closing "]") are skipped, as
// are comment lines starting with ";" or "#"; keys and values are trimmed. A UTF-8 byte-order
// mark is ignored. Reading never fails: a missing file is an empty ini.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace s4 {

class IniFile {
 public:
  IniFile() = default;
  // Parses the text of an ini file (UTF-8).
  static IniFile Parse(std::string_view text);
  // Reads the file at a host path; an unreadable file gives an empty ini.
  static IniFile Load(std::u16string_view hostPath);

  bool HasKey(std::u16string_view section, std::u16string_view key) const;
  std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view fallback) const;
  // A decimal or hexadecimal ("$" or "0x") integer; the fallback when absent or not a number.
  std::int32_t ReadInteger(std::u16string_view section, std::u16string_view key, std::int32_t fallback) const;

 private:
  struct Section {
    std::u16string name;
    std::vector<std::pair<std::u16string, std::u16string>> keys;
  };
  const std::u16string* Find(std::u16string_view section, std::u16string_view key) const;
  std::vector<Section> sections_;
};

}  // namespace s4
