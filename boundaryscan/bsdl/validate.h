// Checks a Description beyond its syntax: the rules of IEEE 1149.1 that a reader alone does
// not enforce (register lengths, cell numbering, references between cells, ports and pins).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "boundaryscan/bsdl/description.h"

namespace s4::bsdl {

struct Finding {
  int line = 0;
  std::string message;
  bool operator==(const Finding&) const = default;
};

// Every finding, in the order of the checks; an empty list means the description is sound.
std::vector<Finding> Validate(const Description& d);

// "FILE:LINE: MESSAGE"
std::string Format(std::string_view file, const Finding& f);

}  // namespace s4::bsdl
