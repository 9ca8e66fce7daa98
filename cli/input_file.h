// Files named on s4host's command line, read whole. Every failure names the file.
#pragma once

#include <cstdint>
#include <string>

namespace s4::cli {

// The file's bytes. Throws CommandError (kExitEnvironment) naming the file when it is missing,
// is not a regular file (a folder, a FIFO or a device would give no sound content or block),
// is larger than maxBytes, or cannot be read to its end.
std::string ReadInputFile(const std::string& path, std::uintmax_t maxBytes);

}  // namespace s4::cli
