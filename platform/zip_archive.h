// Unpacking a ZIP archive into one folder, without the archive's inner paths - the only use the
// module has for archives (zipped BSDL files).
//
// Safety rules, because an archive is input the module does not control:
//   - an entry's path inside the archive is dropped: "a/b/c.bsd" is written as "c.bsd";
//   - an entry whose name would leave the folder (an absolute name, a drive, a ".." part) and
//     an entry that is not a regular file (folders, links, devices) is skipped;
//   - every entry is read completely and checked before anything is written; a corrupt or
//     unreadable archive, an entry whose data is damaged or larger than kMaxEntryBytes, writes
//     nothing at all and answers false;
//   - files are written under a temporary name and renamed into place, replacing a file of the
//     same name, so no partial file is ever left behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace s4 {

inline constexpr std::uint64_t kMaxEntryBytes = 64ull << 20;

struct UnzipReport {
  bool ok = false;                      // the archive was read and its files written
  std::vector<std::u16string> written;  // file names written into the folder
  std::vector<std::string> skipped;     // entry names left out, and why
};

// Unpacks every acceptable entry of `archive` into `folder` (host paths).
UnzipReport UnzipFlat(std::u16string_view archive, std::u16string_view folder);

}  // namespace s4
