// Deterministic synthesis of a pin set for a device package.
//
// The vendor's per-pin data is not available here, so the pin sets are made up under every
// rule the module relies on (see validator.h): the real ball grid, the counts and standards
// of the device package table, the published example pins, sound pairs with both pins in one
// bank, the five TAP balls of the package's boundary-scan description left as dedicated pins,
// and the balls that known board projects assign (user I/O, or transceiver pins for
// transceiver standards).
// The same inputs always give the same file.
#pragma once

#include <vector>

#include "tools/pindata/pin_file.h"
#include "tools/pindata/validator.h"

namespace s4::pindata {

PinFile Synthesize(TDevicePackage dp, const std::vector<BoardAssignments>& boards);

}  // namespace s4::pindata
