#include "host/ini_file.h"

#include <limits>

#include "host/parameter_list.h"
#include "platform/files.h"
#include "platform/widestring.h"

namespace s4 {

namespace {
std::u16string_view Trim(std::u16string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t' || s[b] == u'\r')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t' || s[e - 1] == u'\r')) --e;
  return s.substr(b, e - b);
}
}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::u16string all = Utf8ToUtf16(text);
  IniFile ini;
  Section* current = nullptr;
  std::size_t pos = 0;
  while (pos <= all.size()) {
    std::size_t end = all.find(u'\n', pos);
    if (end == std::u16string::npos) end = all.size();
    const std::u16string_view line = Trim(std::u16string_view(all).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == u';' || line[0] == u'#') continue;
    if (line[0] == u'[') {
      const auto close = line.find(u']');
      if (close == std::u16string_view::npos) {
        current = nullptr;  // a broken header: its keys belong to no section
        continue;
      }
      const std::u16string_view name = Trim(line.substr(1, close - 1));
      current = nullptr;
      for (Section& s : ini.sections_)
        if (EqualsIgnoreCase(s.name, name)) current = &s;
      if (!current) {
        ini.sections_.push_back({std::u16string(name), {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    const auto eq = line.find(u'=');
    if (eq == std::u16string_view::npos || !current) continue;
    const std::u16string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    current->keys.emplace_back(key, Trim(line.substr(eq + 1)));
  }
  return ini;
}

IniFile IniFile::Load(std::u16string_view hostPath) {
  auto bytes = ReadWholeFile(hostPath);
  return bytes ? Parse(*bytes) : IniFile();
}

const std::u16string* IniFile::Find(std::u16string_view section, std::u16string_view key) const {
  for (const Section& s : sections_) {
    if (!EqualsIgnoreCase(s.name, section)) continue;
    for (const auto& [k, v] : s.keys)
      if (EqualsIgnoreCase(k, key)) return &v;
  }
  return nullptr;
}

bool IniFile::HasKey(std::u16string_view section, std::u16string_view key) const {
  return Find(section, key) != nullptr;
}

std::u16string IniFile::ReadString(std::u16string_view section, std::u16string_view key,
                                   std::u16string_view fallback) const {
  const std::u16string* v = Find(section, key);
  return v ? *v : std::u16string(fallback);
}

std::int32_t IniFile::ReadInteger(std::u16string_view section, std::u16string_view key,
                                  std::int32_t fallback) const {
  const std::u16string* v = Find(section, key);
  std::int64_t n = 0;
  if (!v || !ParseParameterInt64(*v, n) || n < std::numeric_limits<std::int32_t>::min() ||
      n > std::numeric_limits<std::int32_t>::max())
    return fallback;
  return static_cast<std::int32_t>(n);
}

}  // namespace s4
