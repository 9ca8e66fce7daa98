// ZIP archives where no ZIP library is built in (the Windows build: libzip is a Linux
// package here). Every archive is refused with a message that says so; nothing is written.
#include "platform/zip_archive.h"

namespace s4 {

UnzipReport UnzipFlat(std::u16string_view, std::u16string_view) {
  UnzipReport r;
  r.skipped.push_back("ZIP archives cannot be unpacked: this build has no ZIP library");
  return r;
}

}  // namespace s4
