// Reading and writing whole text files for the build-machine tools. Outputs are written to a
// temporary name beside the target and then renamed, so that an interrupted run never
// leaves a half-written file that a later build would take as complete.
#pragma once

#include <optional>
#include <string>

namespace s4::pindata {

std::optional<std::string> ReadTextFile(const std::string& path);
// False (with `error` set) when the file cannot be written.
bool WriteTextFileAtomically(const std::string& path, const std::string& text, std::string& error);

}  // namespace s4::pindata
