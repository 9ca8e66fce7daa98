// Files on Windows: the wide-character system calls, with host paths passed as they are
// (the host's path form is Windows' own, and its file systems ignore letter case already).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/widestring.h"

namespace s4 {

namespace {

std::wstring Wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }
std::u16string FromWide(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

// The system's full path of a host path: "." and ".." taken lexically, as everywhere.
std::wstring FullPath(std::u16string_view hostPath) {
  if (hostPath.empty()) return {};
  const std::wstring in = Wide(hostPath);
  const DWORD n = GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
  if (n == 0) return {};
  std::wstring out(n, L'\0');
  const DWORD got = GetFullPathNameW(in.c_str(), n, out.data(), nullptr);
  if (got == 0 || got >= n) return {};
  out.resize(got);
  return out;
}

DWORD Attributes(std::u16string_view hostPath) {
  const std::wstring p = FullPath(hostPath);
  return p.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(p.c_str());
}

}  // namespace

std::string ResolveOsPath(std::u16string_view hostPath) {
  const std::wstring p = FullPath(hostPath);
  return Utf16ToUtf8(FromWide(p));
}

bool FileExists(std::u16string_view hostPath) {
  const DWORD a = Attributes(hostPath);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(std::u16string_view hostPath) {
  const DWORD a = Attributes(hostPath);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<double> FileDate(std::u16string_view hostPath) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::wstring p = FullPath(hostPath);
  if (p.empty() || !GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  // FILETIME counts 100 ns from 1601; 11644473600 s lie between 1601 and 1970.
  const ULONGLONG ticks =
      (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return static_cast<double>(ticks) / 1e7 - 11644473600.0;
}

std::optional<std::string> ReadWholeFile(std::u16string_view hostPath) {
  const std::wstring p = FullPath(hostPath);
  if (p.empty()) return std::nullopt;
  HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string out;
  char buf[65536];
  bool ok = true;
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      ok = false;
      break;
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  CloseHandle(h);
  if (!ok) return std::nullopt;
  return out;
}

bool WriteWholeFile(std::u16string_view hostPath, std::string_view bytes) {
  const std::wstring target = FullPath(hostPath);
  if (target.empty()) return false;
  // A temporary name beside the target, unique to this process and call.
  static LONG counter = 0;
  const std::wstring tmp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                           std::to_wstring(InterlockedIncrement(&counter)) + L".tmp";
  HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    ok = WriteFile(h, bytes.data() + done, chunk, &n, nullptr) && n > 0;
    done += n;
  }
  ok = CloseHandle(h) && ok;
  ok = ok && MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(tmp.c_str());
  return ok;
}

namespace {
// The system's description of an error code, without the line break it ends with.
std::string ErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string s = n && text ? FromWide(std::wstring_view(text, n)) : u"system error " + Utf8ToUtf16(std::to_string(code));
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == u'\n' || s.back() == u'\r' || s.back() == u' ' || s.back() == u'.')) s.pop_back();
  return Utf16ToUtf8(s);
}
}  // namespace

FileReader::FileReader(std::u16string_view hostPath) {
  const std::wstring p = FullPath(hostPath);
  if (p.empty()) {
    error_ = "no such file";
    return;
  }
  HANDLE h = CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD a = GetFileAttributesW(p.c_str());
    error_ = a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? "is a folder" : ErrorText(GetLastError());
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  if (GetFileType(h) != FILE_TYPE_DISK) {
    error_ = "not a regular file";
    return;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    error_ = ErrorText(GetLastError());
    return;
  }
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  open_ = true;
}

FileReader::~FileReader() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::ptrdiff_t FileReader::Read(void* buffer, std::size_t n) {
  if (!open_) return -1;
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, want, &got, nullptr)) {
    error_ = ErrorText(GetLastError());
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

bool DeleteFileAt(std::u16string_view hostPath) {
  const std::wstring p = FullPath(hostPath);
  return !p.empty() && DeleteFileW(p.c_str());
}

bool MoveFileTo(std::u16string_view from, std::u16string_view to) {
  const std::wstring a = FullPath(from), b = FullPath(to);
  // Without MOVEFILE_REPLACE_EXISTING an existing target is refused, as elsewhere.
  return !a.empty() && !b.empty() && MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_COPY_ALLOWED);
}

bool CreateFolder(std::u16string_view hostPath) {
  const std::wstring p = FullPath(hostPath);
  if (p.empty()) return false;
  // Each prefix that ends at a separator, after the root ("C:\" or "\\server\share\").
  for (std::size_t i = 0; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == L'\\' || p[i] == L'/') {
      const std::wstring prefix = p.substr(0, i);
      if (prefix.empty() || prefix.back() == L':' || prefix.rfind(L"\\\\", 0) == 0) continue;
      if (GetFileAttributesW(prefix.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(prefix.c_str(), nullptr) &&
          GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    }
  }
  return DirectoryExists(hostPath);
}

std::vector<std::u16string> FilesInFolder(std::u16string_view hostFolder) {
  std::vector<std::u16string> out;
  std::wstring folder = FullPath(hostFolder);
  if (folder.empty()) return out;
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  WIN32_FIND_DATAW e{};
  HANDLE h = FindFirstFileW((folder + L"*").c_str(), &e);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (!(e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(FromWide(e.cFileName));
  } while (FindNextFileW(h, &e));
  FindClose(h);
  return out;
}

std::u16string SystemTempFolder() {
  wchar_t buf[MAX_PATH + 2];
  const DWORD n = GetTempPathW(MAX_PATH + 2, buf);
  if (n == 0 || n > MAX_PATH + 1) return {};
  // The long form of the folder, as the system names it.
  wchar_t full[32768];
  const DWORD m = GetLongPathNameW(buf, full, 32768);
  const std::u16string t = (m > 0 && m < 32768) ? FromWide(std::wstring_view(full, m)) : FromWide(std::wstring_view(buf, n));
  return IncludeTrailingBackslash(t);
}

std::u16string CreateTempFileName(std::u16string_view prefix) {
  const std::wstring folder = Wide(SystemTempFolder());
  // GetTempFileNameW takes only the first three letters of a prefix; a counter and the
  // process id make a longer prefix unique instead.
  static LONG counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring name = folder + Wide(prefix) + std::to_wstring(GetCurrentProcessId()) + L"_" +
                              std::to_wstring(InterlockedIncrement(&counter)) + L".tmp";
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return FromWide(name);
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) {
  const std::wstring n = Wide(name);
  SetLastError(ERROR_SUCCESS);
  const DWORD size = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
  if (size == 0) {
    if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::u16string();
  }
  std::wstring buf(size, L'\0');
  const DWORD got = GetEnvironmentVariableW(n.c_str(), buf.data(), size);
  if (got >= size) return std::nullopt;
  buf.resize(got);
  return FromWide(buf);
}

}  // namespace s4
