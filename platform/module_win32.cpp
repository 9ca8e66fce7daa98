// Modules on Windows: file names from GetModuleFileNameW, loading with LoadLibraryExW and
// entry points with GetProcAddress. Paths cross this interface as UTF-8.
#include "platform/com.h"
#include "platform/module.h"
#include "platform/path.h"
#include "platform/widestring.h"

namespace s4 {

namespace {

// The full file name of a loaded module; GetModuleFileNameW truncates silently, so the
// buffer grows until the name fits.
std::string ModuleFileName(HMODULE module) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return Utf16ToUtf8(std::u16string_view(AsU16(buf.c_str()), buf.size()));
    }
    if (buf.size() >= 32768) return {};  // longer than any Windows path
    buf.resize(buf.size() * 2);
  }
}

// The message text of a Windows error code, without the trailing line break.
std::string ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string s;
  if (n && text) s = Utf16ToUtf8(std::u16string_view(AsU16(text), n));
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  return s.empty() ? "error " + std::to_string(code) : s + " (error " + std::to_string(code) + ")";
}

}  // namespace

std::string ThisModuleOsPath() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&ThisModuleOsPath)), &self))
    return {};
  return ModuleFileName(self);
}

std::string ThisProgramOsPath() { return ModuleFileName(nullptr); }

std::u16string ModuleFolder() {
  std::string path = ThisModuleOsPath();
  const auto slash = path.find_last_of("\\/");
  path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return ToHostPath(path);
}

void* ProgramSymbol(const char* name) {
  // The program file's own export table; a host program exports its entries there.
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name));
}

std::string HostProgramOsFolder() {
  // As elsewhere, S4_HOST_DIR may name the folder that plays the host program's part (the
  // simulated host sets it); without it, the running program's own folder.
  std::string folder;
  const DWORD n = GetEnvironmentVariableW(L"S4_HOST_DIR", nullptr, 0);
  if (n > 1) {
    std::wstring buf(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(L"S4_HOST_DIR", buf.data(), n);
    if (got > 0 && got < n) folder = Utf16ToUtf8(std::u16string_view(AsU16(buf.c_str()), got));
  }
  if (folder.empty()) {
    folder = ThisProgramOsPath();
    const auto slash = folder.find_last_of("\\/");
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
  }
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::string LoadedModuleOsPath(std::u16string_view fileName) {
  // The system looks a loaded module up by its file name, ignoring letter case.
  const std::wstring name(fileName.begin(), fileName.end());
  HMODULE h = name.empty() ? nullptr : GetModuleHandleW(name.c_str());
  return h ? ModuleFileName(h) : std::string();
}

std::unique_ptr<LoadedLibrary> LoadedLibrary::Open(const std::string& osPath, std::string* error) {
  const std::u16string wide = Utf8ToUtf16(osPath);
  // With a full path, LOAD_WITH_ALTERED_SEARCH_PATH looks for the module's own imports in
  // its folder first, as a host loading plug-ins from their folder does.
  HMODULE h = LoadLibraryExW(reinterpret_cast<LPCWSTR>(wide.c_str()), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!h) {
    if (error) *error = "cannot load " + osPath + ": " + ErrorText(GetLastError());
    return nullptr;
  }
  return std::unique_ptr<LoadedLibrary>(new LoadedLibrary(reinterpret_cast<void*>(h)));
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ && !leak_) FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

}  // namespace s4
