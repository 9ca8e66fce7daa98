#include "platform/path.h"

#include "platform/widestring.h"

namespace s4 {

#if defined(_WIN32)
std::string ToOsPath(std::u16string_view hostPath) { return Utf16ToUtf8(hostPath); }
std::u16string ToHostPath(std::string_view osPath) { return Utf8ToUtf16(osPath); }
#else
std::string ToOsPath(std::u16string_view hostPath) {
  std::string s = Utf16ToUtf8(hostPath);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}
std::u16string ToHostPath(std::string_view osPath) {
  std::u16string s = Utf8ToUtf16(osPath);
  for (char16_t& c : s)
    if (c == u'/') c = u'\\';
  return s;
}
#endif

}  // namespace s4
