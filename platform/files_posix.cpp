#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/widestring.h"

namespace s4 {

namespace {

bool Exists(const std::string& p) {
  struct stat st{};
  return !p.empty() && ::stat(p.c_str(), &st) == 0;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The entry of `folder` whose name equals `name` ignoring case; empty when none.
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (SameIgnoringCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

// "." and ".." are taken lexically, as the host's system does: "a\missing\..\b" is "a\b"
// even when "missing" does not exist.
std::string Normalize(const std::string& p) {
  const bool absolute = !p.empty() && p[0] == '/';
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= p.size()) {
    std::size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..")
        parts.pop_back();
      else if (!absolute)
        parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out = absolute ? "/" : "";
  for (std::size_t k = 0; k < parts.size(); ++k) out += (k ? "/" : "") + parts[k];
  if (p.size() > 1 && p.back() == '/' && !parts.empty()) out += '/';
  return out;
}

}  // namespace

std::string ResolveOsPath(std::u16string_view hostPath) {
  const std::string exact = Normalize(ToOsPath(hostPath));
  if (exact.empty() || Exists(exact)) return exact;
  // Walk the components, keeping each that exists and otherwise looking for it ignoring case;
  // from the first component that cannot be found, the rest is kept as written.
  std::string out = exact[0] == '/' ? "/" : "";
  std::size_t i = exact[0] == '/' ? 1 : 0;
  bool resolving = true;
  while (i <= exact.size()) {
    std::size_t j = exact.find('/', i);
    if (j == std::string::npos) j = exact.size();
    std::string part = exact.substr(i, j - i);
    if (!part.empty()) {
      if (resolving && part != "." && part != "..") {
        const std::string base = out.empty() ? "." : out;
        if (!Exists(out + part)) {
          const std::string match = FindIgnoringCase(base, part);
          if (match.empty())
            resolving = false;
          else
            part = match;
        }
      }
      out += part;
    }
    if (j < exact.size()) out += '/';
    i = j + 1;
  }
  return out;
}

bool FileExists(std::u16string_view hostPath) {
  struct stat st{};
  const std::string p = ResolveOsPath(hostPath);
  return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::u16string_view hostPath) {
  struct stat st{};
  const std::string p = ResolveOsPath(hostPath);
  return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<double> FileDate(std::u16string_view hostPath) {
  struct stat st{};
  const std::string p = ResolveOsPath(hostPath);
  if (p.empty() || ::stat(p.c_str(), &st) != 0) return std::nullopt;
  return static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
}

std::optional<std::string> ReadWholeFile(std::u16string_view hostPath) {
  const std::string p = ResolveOsPath(hostPath);
  std::ifstream in(p, std::ios::binary);
  if (p.empty() || !in || !FileExists(hostPath)) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(s).str();
}

bool WriteWholeFile(std::u16string_view hostPath, std::string_view bytes) {
  const std::string target = ResolveOsPath(hostPath);
  if (target.empty()) return false;
  std::string tmp = target + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

FileReader::FileReader(std::u16string_view hostPath) {
  const std::string p = ResolveOsPath(hostPath);
  if (p.empty()) {
    error_ = "no such file";
    return;
  }
  // Without O_NONBLOCK, opening a pipe that nobody writes would wait forever.
  const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  handle_ = fd;
  struct stat st{};
  if (::fstat(fd, &st) != 0) {
    error_ = std::strerror(errno);
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
    return;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  size_ = static_cast<std::uint64_t>(st.st_size);
  open_ = true;
}

FileReader::~FileReader() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::ptrdiff_t FileReader::Read(void* buffer, std::size_t n) {
  if (!open_) return -1;
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), buffer, n);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    error_ = std::strerror(errno);
    return -1;
  }
}

bool DeleteFileAt(std::u16string_view hostPath) {
  const std::string p = ResolveOsPath(hostPath);
  return !p.empty() && ::unlink(p.c_str()) == 0;
}

bool MoveFileTo(std::u16string_view from, std::u16string_view to) {
  const std::string a = ResolveOsPath(from), b = ResolveOsPath(to);
  return !a.empty() && !b.empty() && !Exists(b) && ::rename(a.c_str(), b.c_str()) == 0;
}

bool CreateFolder(std::u16string_view hostPath) {
  std::string p = ResolveOsPath(hostPath);
  if (p.empty()) return false;
  for (std::size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      const std::string prefix = p.substr(0, i);
      if (!Exists(prefix) && ::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  return DirectoryExists(hostPath);
}

std::vector<std::u16string> FilesInFolder(std::u16string_view hostFolder) {
  std::vector<std::u16string> out;
  std::string folder = ResolveOsPath(hostFolder);
  if (folder.empty()) return out;
  if (folder.back() != '/') folder += '/';
  DIR* d = ::opendir(folder.c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    struct stat st{};
    if (::stat((folder + e->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) out.push_back(Utf8ToUtf16(e->d_name));
  }
  ::closedir(d);
  return out;
}

std::u16string SystemTempFolder() {
  std::string t;
  if (const char* e = std::getenv("TMPDIR"); e && *e) t = e;
  if (t.empty()) t = "/tmp";
  // The long form of the folder: links and relative parts resolved.
  if (char* real = ::realpath(t.c_str(), nullptr)) {
    t = real;
    std::free(real);
  }
  return IncludeTrailingBackslash(ToHostPath(t));
}

std::u16string CreateTempFileName(std::u16string_view prefix) {
  std::string templ = ToOsPath(SystemTempFolder()) + Utf16ToUtf8(prefix) + "XXXXXX";
  const int fd = ::mkstemp(templ.data());
  if (fd < 0) return {};
  ::close(fd);
  return ToHostPath(templ);
}

std::optional<std::u16string> EnvironmentVariable(std::u16string_view name) {
  const char* v = std::getenv(Utf16ToUtf8(name).c_str());
  if (!v) return std::nullopt;
  return Utf8ToUtf16(v);
}

}  // namespace s4
