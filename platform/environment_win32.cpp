// Environment variables on Windows. The process environment block (what child processes
// and GetEnvironmentVariableW see) is the one that counts; _wputenv_s changes it together
// with the C runtime's copy, so that getenv in the same program agrees.
#include <cstdlib>

#include "platform/com.h"
#include "platform/environment.h"
#include "platform/widestring.h"

namespace s4 {

namespace {
std::wstring Wide(const std::string& s) {
  const std::u16string w = Utf8ToUtf16(s);
  return std::wstring(w.begin(), w.end());
}
}  // namespace

std::optional<std::string> GetEnv(const std::string& name) {
  const std::wstring wname = Wide(name);
  SetLastError(ERROR_SUCCESS);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  std::wstring buf(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), buf.data(), n);
  if (got >= n) return std::nullopt;  // changed between the two calls
  buf.resize(got);
  return Utf16ToUtf8(std::u16string_view(AsU16(buf.c_str()), buf.size()));
}

bool SetEnv(const std::string& name, const std::string& value) {
  // The runtime takes an empty value as removal, so an empty variable goes to the block only.
  if (value.empty()) return SetEnvironmentVariableW(Wide(name).c_str(), L"") != 0;
  return _wputenv_s(Wide(name).c_str(), Wide(value).c_str()) == 0;
}

void UnsetEnv(const std::string& name) {
  _wputenv_s(Wide(name).c_str(), L"");
  SetEnvironmentVariableW(Wide(name).c_str(), nullptr);
}

}  // namespace s4
