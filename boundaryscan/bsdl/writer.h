// Writes a Description as a standard BSDL file that the reader reads back to the same
// description. Attributes appear in the customary order; every list item has a line of its
// own, so that findings and diffs point at one pin, instruction or cell.
#pragma once

#include <string>
#include <string_view>

#include "boundaryscan/bsdl/description.h"

namespace s4::bsdl {

// `header` is put before the entity as comment lines (one "-- " line per line of it).
std::string Write(const Description& d, std::string_view header = {});

}  // namespace s4::bsdl
