// The archive reader is libzip.
#include <zip.h>

#include <memory>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/widestring.h"
#include "platform/zip_archive.h"

namespace s4 {

namespace {

struct ZipCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
struct FileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

// Unix file types kept in the high half of an entry's external attributes.
constexpr std::uint32_t kTypeMask = 0170000;
constexpr std::uint32_t kRegular = 0100000;

// The name an entry is written under, or empty with `why` set when it is skipped.
std::string FlatName(const std::string& entry, std::string& why) {
  if (entry.empty()) {
    why = "empty name";
    return {};
  }
  if (entry.back() == '/' || entry.back() == '\\') {
    why = "folder";
    return {};
  }
  if (entry[0] == '/' || entry[0] == '\\' || entry.find(':') != std::string::npos) {
    why = "absolute name";
    return {};
  }
  std::size_t start = 0;
  for (std::size_t i = 0; i <= entry.size(); ++i) {
    if (i == entry.size() || entry[i] == '/' || entry[i] == '\\') {
      if (entry.compare(start, i - start, "..") == 0) {
        why = "leaves the folder";
        return {};
      }
      start = i + 1;
    }
  }
  const auto slash = entry.find_last_of("/\\");
  std::string name = slash == std::string::npos ? entry : entry.substr(slash + 1);
  for (unsigned char c : name) {
    if (c < 0x20) {
      why = "control character in name";
      return {};
    }
  }
  if (name == "." || name.empty()) {
    why = "no file name";
    return {};
  }
  return name;
}

}  // namespace

UnzipReport UnzipFlat(std::u16string_view archive, std::u16string_view folder) {
  UnzipReport report;
  if (!FileExists(archive) || !DirectoryExists(folder)) return report;
  int error = 0;
  std::unique_ptr<zip_t, ZipCloser> zip(zip_open(ResolveOsPath(archive).c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!zip) return report;

  // Read and check everything first; write only when the whole archive is sound.
  std::vector<std::pair<std::string, std::string>> files;  // flat name -> contents
  const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
  if (count < 0) return report;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
      return report;
    const std::string entry = st.name;
    std::string why;
    std::string name = FlatName(entry, why);
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (!name.empty() &&
        zip_file_get_external_attributes(zip.get(), static_cast<zip_uint64_t>(i), 0, &system, &attributes) == 0 &&
        system == ZIP_OPSYS_UNIX) {
      const std::uint32_t type = (attributes >> 16) & kTypeMask;
      if (type != 0 && type != kRegular) {
        why = "not a regular file";
        name.clear();
      }
    }
    if (name.empty()) {
      report.skipped.push_back(entry + ": " + why);
      continue;
    }
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxEntryBytes) return report;
    std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(i), 0));
    if (!f) return report;
    std::string data;
    char buf[16384];
    for (;;) {
      const zip_int64_t n = zip_fread(f.get(), buf, sizeof buf);
      if (n < 0) return report;  // damaged data, including a checksum that does not match
      if (n == 0) break;
      data.append(buf, static_cast<std::size_t>(n));
      if (data.size() > kMaxEntryBytes) return report;
    }
    if ((st.valid & ZIP_STAT_SIZE) && data.size() != st.size) return report;
    files.emplace_back(std::move(name), std::move(data));
  }

  const std::u16string target = IncludeTrailingBackslash(folder);
  for (const auto& [name, data] : files) {
    const std::u16string path = target + Utf8ToUtf16(name);
    if (!WriteWholeFile(path, data)) return report;  // earlier files stay: each is complete
    report.written.push_back(Utf8ToUtf16(name));
  }
  report.ok = true;
  return report;
}

}  // namespace s4
