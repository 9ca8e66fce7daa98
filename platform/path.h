// Paths: the module's logic keeps path texts in the host's form ("\" separators, as the host
// writes them). These two functions map between that form and the operating system's at the
// file-system boundary. On Windows both are the identity. Elsewhere "\" and "/" swap places,
// so "\work\build\Library\" is the folder /work/build/Library/.
#pragma once

#include <string>
#include <string_view>

namespace s4 {

std::string ToOsPath(std::u16string_view hostPath);
std::u16string ToHostPath(std::string_view osPath);

}  // namespace s4
