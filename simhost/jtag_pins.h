// The pin-level interface the simulated host's JTAG channel answers.
#pragma once

#include "platform/jtag_pin_access.h"

namespace s4::sim {
using s4::IID_IJTagPinAccess;
using s4::IJTagPinAccess;
}  // namespace s4::sim
