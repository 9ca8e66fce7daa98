// libFuzzer target for the ini reader. Built only with -DS4_FUZZ=ON and clang:
//
//   cmake -S . -B build-fuzz -G Ninja -DS4_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//   ninja -C build-fuzz fuzz_ini_file && build-fuzz/host/fuzz_ini_file -runs=1000000
//
// Properties checked for every input:
//   1. reading any bytes (invalid UTF-8, a byte-order mark, lone CRs, headers without "]")
//      never crashes, and every look-up of a key it holds answers it;
//   2. an ini text written from names and values cut from the input (ASCII, with what a line
//      cannot hold left out) answers, for every section and key, the trimmed value of the
//      first occurrence, sections and keys compared ignoring letter case; integers read as
//      the value when it is one, else the fallback.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "host/ini_file.h"
#include "host/parameter_list.h"
#include "platform/widestring.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The reader's trimming: blanks, tabs and carriage returns at both ends.
std::string Trimmed(std::string_view s) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string Without(std::string_view s, std::string_view banned) {
  std::string out;
  for (char c : s)
    if (banned.find(c) == std::string_view::npos) out += c;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);

  // 1. Arbitrary bytes.
  const s4::IniFile any = s4::IniFile::Parse(raw);
  for (const char16_t* section : {u"General", u"ClockCore", u""}) {
    for (const char16_t* key : {u"DeviceFamily", u"Cycles", u""}) {
      const bool has = any.HasKey(section, key);
      const std::u16string a = any.ReadString(section, key, u"\x01");
      const std::u16string b = any.ReadString(section, key, u"\x02");
      Check(has == (a == b));
      const std::int32_t i = any.ReadInteger(section, key, 7);
      const std::int32_t j = any.ReadInteger(section, key, 8);
      if (!has) Check(i == 7 && j == 8);
    }
  }

  // 2. A written text. Tokens are cut at byte 0x00; a token whose first byte is 0x01 opens a
  // section, other tokens come in key/value pairs. Only ASCII is written, so the model can
  // work on bytes.
  std::string text;
  std::map<std::pair<std::string, std::string>, std::string> firstValue;
  std::string section = "s";
  text += "[s]\n";
  std::string pendingKey;
  bool haveKey = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= raw.size(); ++i) {
    if (i < raw.size() && raw[i] != '\0') continue;
    std::string token;
    for (char c : raw.substr(start, i - start)) token += static_cast<char>(c & 0x7F);
    start = i + 1;
    if (!token.empty() && token[0] == '\x01') {
      const std::string name = Trimmed(Without(token.substr(1), "\n]\x01"));
      text += "[" + name + "]\n";
      section = Lower(name);
      haveKey = false;
      continue;
    }
    if (!haveKey) {
      pendingKey = Without(token, "\n=");
      haveKey = true;
      continue;
    }
    haveKey = false;
    const std::string key = Trimmed(pendingKey);
    const std::string value = Without(token, "\n");
    // A line whose first visible character makes it a comment or a header holds no key.
    if (key.empty() || key[0] == ';' || key[0] == '#' || key[0] == '[') continue;
    text += pendingKey + "=" + value + "\n";
    firstValue.emplace(std::make_pair(section, Lower(key)), Trimmed(value));
  }
  const s4::IniFile ini = s4::IniFile::Parse(text);
  for (const auto& [where, value] : firstValue) {
    const std::u16string sectionName = s4::Utf8ToUtf16(where.first);
    const std::u16string keyName = s4::Utf8ToUtf16(where.second);
    Check(ini.HasKey(sectionName, keyName));
    Check(ini.ReadString(sectionName, keyName, u"") == s4::Utf8ToUtf16(value));
    std::int64_t n = 0;
    const bool number = s4::ParseParameterInt64(s4::Utf8ToUtf16(value), n) && n >= INT32_MIN && n <= INT32_MAX;
    const std::int32_t read = ini.ReadInteger(sectionName, keyName, 7);
    if (number) Check(read == static_cast<std::int32_t>(n));
    else Check(read == 7);
  }
  return 0;
}
