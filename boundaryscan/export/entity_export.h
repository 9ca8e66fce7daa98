// Reads a boundary-scan entity through its dispatch interface, as the host sees it, into a
// BSDL description that the writer can turn into a standard file.
//
// The entity knows its pins, cells, opcodes and register associations; what a BSDL file needs
// beyond them is derived: port modes from the pin directions and kinds, ports of pins that
// share a name (VCC, GND) as one vector, the instruction length from the opcodes when the
// entity has none, an instruction capture of X..X01, and the 1149.1 package from the
// conformance statement.
#pragma once

#include "boundaryscan/bsdl/description.h"
#include "platform/com.h"

namespace s4::bsdl {

// Throws std::runtime_error when a call fails or the entity is empty.
Description DescribeEntity(IDispatch* entity);

}  // namespace s4::bsdl
