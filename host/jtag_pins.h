// The pin-level interface of the host's JTAG channel as the module uses it (positions 5, 7, 8,
// 10, 13 and 14: SetTCK, SetTDI, SetTMS, GetTDO, Apply, Sample).
#pragma once

#include "platform/jtag_pin_access.h"

namespace s4::host {
using s4::IID_IJTagPinAccess;
using s4::IJTagPinAccess;
}  // namespace s4::host
