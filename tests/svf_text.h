// Reading SVF text back in tests: commands split at ';', comments dropped, and the hex fields
// of a scan turned into bits (bit 0 = the first bit shifted).
#pragma once

#include <cctype>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace s4::test {

struct SvfCommand {
  std::string name;                          // "SDR", "STATE", ...
  std::vector<std::string> words;            // the words after the name, outside parentheses
  std::map<std::string, std::string> hex;    // "TDI" -> its digits, whitespace removed
  std::string text;                          // the command as written, without ';'
  std::uint64_t Length() const { return words.empty() ? 0 : std::stoull(words[0]); }
};

inline std::vector<SvfCommand> ParseSvf(const std::string& svf) {
  std::string clean;
  std::istringstream lines(svf);
  for (std::string line; std::getline(lines, line);) {
    const auto bang = line.find('!');
    clean += line.substr(0, bang) + " ";
  }
  std::vector<SvfCommand> commands;
  std::size_t start = 0;
  for (std::size_t end; (end = clean.find(';', start)) != std::string::npos; start = end + 1) {
    SvfCommand c;
    c.text = clean.substr(start, end - start);
    c.text.erase(0, c.text.find_first_not_of(" \t\r\n"));
    c.text.erase(c.text.find_last_not_of(" \t\r\n") + 1);
    std::size_t p = 0;
    std::string pendingKey;
    auto skip = [&] {
      while (p < c.text.size() && std::isspace(static_cast<unsigned char>(c.text[p]))) ++p;
    };
    for (skip(); p < c.text.size(); skip()) {
      if (c.text[p] == '(') {
        const auto close = c.text.find(')', p);
        std::string digits;
        for (std::size_t k = p + 1; k < close; ++k)
          if (!std::isspace(static_cast<unsigned char>(c.text[k]))) digits += c.text[k];
        c.hex[pendingKey] = digits;
        c.words.pop_back();
        p = close + 1;
        continue;
      }
      std::size_t q = p;
      while (q < c.text.size() && !std::isspace(static_cast<unsigned char>(c.text[q])) && c.text[q] != '(') ++q;
      const std::string word = c.text.substr(p, q - p);
      if (c.name.empty())
        c.name = word;
      else
        c.words.push_back(word);
      pendingKey = word;
      p = q;
    }
    if (!c.name.empty()) commands.push_back(std::move(c));
  }
  return commands;
}

// The bits of a hex field `length` bits long.
inline std::vector<bool> HexBits(const std::string& digits, std::uint64_t length) {
  std::vector<bool> bits(length, false);
  std::uint64_t b = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    const int v = std::isdigit(static_cast<unsigned char>(*it)) ? *it - '0' : std::toupper(*it) - 'A' + 10;
    for (int k = 0; k < 4; ++k, ++b)
      if (b < length) bits[b] = ((v >> k) & 1) != 0;
  }
  return bits;
}

}  // namespace s4::test
