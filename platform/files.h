// Files, folders, dates, the temporary folder and the environment, in the host's path form.
//
// Every path given here is a host path text ("\" separators, as the module keeps them); the
// functions map it to the operating system at this boundary (platform/path.h). Host paths are
// case-insensitive, as on the host's own system: away from Windows, a path whose exact
// spelling does not exist is resolved component by component ignoring ASCII letter case, so
// "C:\..\SYSTEM\AlteraVersions.Txt" written by the host's rules finds ".../System/alteraversions.txt".
// A drive prefix has no meaning away from Windows and is kept as it is.
//
// The POSIX implementations are in files_posix.cpp; a Windows backend implements the same
// declarations in files_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace s4 {

// The OS path that a host path names: the exact mapping when that exists, else the
// case-insensitive resolution of its existing prefix followed by the rest as mapped.
std::string ResolveOsPath(std::u16string_view hostPath);

bool FileExists(std::u16string_view hostPath);       // a regular file
bool DirectoryExists(std::u16string_view hostPath);  // a folder
// Modification time in seconds since 1970 (with fractions); empty when the file is absent.
std::optional<double> FileDate(std::u16string_view hostPath);
// The whole file; empty optional when it cannot be read.
std::optional<std::string> ReadWholeFile(std::u16string_view hostPath);
// Writes through a temporary file beside the target and renames it into place, so a reader
// never sees a partial file. False when the file cannot be written.
bool WriteWholeFile(std::u16string_view hostPath, std::string_view bytes);
bool DeleteFileAt(std::u16string_view hostPath);

// A regular file read from its start in pieces, so that a large file is never held whole.
class FileReader {
 public:
  // Opens the file; IsOpen() tells whether that worked and Error() why not. Only a regular
  // file opens (a folder or a pipe does not).
  explicit FileReader(std::u16string_view hostPath);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool IsOpen() const { return open_; }
  // The size in bytes at opening.
  std::uint64_t Size() const { return size_; }
  // Reads up to `n` bytes: the count read, 0 at the end of the file, -1 on a read error.
  std::ptrdiff_t Read(void* buffer, std::size_t n);
  // Why opening or the last read failed, in the system's words.
  const std::string& Error() const { return error_; }

 private:
  std::intptr_t handle_ = -1;  // a descriptor or a system handle
  bool open_ = false;
  std::uint64_t size_ = 0;
  std::string error_;
};
bool MoveFileTo(std::u16string_view from, std::u16string_view to);
bool CreateFolder(std::u16string_view hostPath);  // with its parents
// The names (not paths) of the regular files directly in a folder.
std::vector<std::u16string> FilesInFolder(std::u16string_view hostFolder);

// The system's temporary folder as a host path ending in "\".
std::u16string SystemTempFolder();
// A new, empty, uniquely named file in the temporary folder whose name starts with `prefix`;
// empty text when none can be made.
std::u16string CreateTempFileName(std::u16string_view prefix);

// An environment variable; empty optional when it is not set.
std::optional<std::u16string> EnvironmentVariable(std::u16string_view name);

// Text helpers of the host's path form.
std::u16string IncludeTrailingBackslash(std::u16string_view folder);
std::u16string ExtractFileName(std::u16string_view path);  // after the last "\" or ":"
std::u16string ExtractFilePath(std::u16string_view path);  // up to and including it
std::u16string ChangeFileExt(std::u16string_view path, std::u16string_view ext);

}  // namespace s4
