// The path-text helpers, the same on every system.
#include "platform/files.h"

namespace s4 {

namespace {
std::size_t LastDelimiter(std::u16string_view path) { return path.find_last_of(u"\\:"); }
}  // namespace

std::u16string IncludeTrailingBackslash(std::u16string_view folder) {
  std::u16string s(folder);
  if (s.empty() || s.back() != u'\\') s += u'\\';
  return s;
}

std::u16string ExtractFileName(std::u16string_view path) {
  const auto p = LastDelimiter(path);
  return std::u16string(p == std::u16string_view::npos ? path : path.substr(p + 1));
}

std::u16string ExtractFilePath(std::u16string_view path) {
  const auto p = LastDelimiter(path);
  return p == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, p + 1));
}

std::u16string ChangeFileExt(std::u16string_view path, std::u16string_view ext) {
  const auto dot = path.find_last_of(u".\\:");
  std::u16string_view stem = (dot != std::u16string_view::npos && path[dot] == u'.') ? path.substr(0, dot) : path;
  return std::u16string(stem) + std::u16string(ext);
}

}  // namespace s4
