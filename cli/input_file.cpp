#include "cli/input_file.h"

#include <filesystem>
#include <fstream>
#include <new>

#include "cli/command.h"

namespace s4::cli {

std::string ReadInputFile(const std::string& path, std::uintmax_t maxBytes) {
  const auto fail = [&path](const std::string& why) { return CommandError{kExitEnvironment, "cannot read '" + path + "': " + why}; };
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) throw fail("no such file");
  if (std::filesystem::is_directory(status)) throw fail("it is a folder, not a file");
  // Checked before opening: opening a FIFO blocks until someone writes to it.
  if (!std::filesystem::is_regular_file(status)) throw fail("not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) throw fail(ec.message());
  if (size > maxBytes)
    throw fail("it is " + std::to_string(size) + " bytes, more than the " + std::to_string(maxBytes) + " accepted here");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw fail("cannot open it");
  // Read to the end rather than trusting the size: files under /proc say 0 and have more.
  std::string bytes;
  try {
    bytes.reserve(static_cast<std::size_t>(size));
    char chunk[1 << 16];
    // read() turns an I/O error of the stream buffer into badbit instead of an exception.
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
      bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
      if (bytes.size() > maxBytes) throw fail("it holds more than the " + std::to_string(maxBytes) + " bytes accepted here");
    }
  } catch (const std::bad_alloc&) {
    throw fail("not enough memory to read it");
  }
  if (in.bad()) throw fail("read error after " + std::to_string(bytes.size()) + " bytes");
  return bytes;
}

}  // namespace s4::cli
