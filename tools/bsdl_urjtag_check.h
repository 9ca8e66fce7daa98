// An independent opinion on a BSDL file: the UrJTAG library's BSDL parser in syntax-check
// mode. Used by the tests and the benchmark, never by the module.
#pragma once

#include <optional>
#include <string>

namespace s4::bsdl_check {

// True when UrJTAG accepts the file, false when it rejects it, nothing when this build has
// no UrJTAG library (the caller then skips with a message).
std::optional<bool> UrjtagAccepts(const std::string& path);

// Whether this build can ask UrJTAG at all.
bool UrjtagAvailable();

}  // namespace s4::bsdl_check
