// Converting a vendor pin-out table (tab-separated text) into a pin data file.
//
// What is assumed about the input - written from the general layout of such pin-out tables,
// NOT tried on a real vendor file, which the project does not have:
//   - lines before the header row (title, notices) are ignored;
//   - the header row is the first row with the cells "Bank Number" and "Pin Name/Function"
//     (letter case and surrounding blanks ignored);
//   - columns, found by their header text: "Bank Number" (the I/O bank, e.g. "7C"),
//     "Pin Name/Function" (the pin's main function), "Optional Function(s)" and
//     "Configuration Function" (both optional columns), and one ball column per package,
//     named like "F780" or "H1152" (package letter + ball count); the one of the device
//     package is used unless another is named;
//   - a row with an empty ball cell is not a pin of this package and is skipped.
// How a row becomes a pin (see PinFromRow):
//   - IO: the main function starts with "IO", or an optional function is a DIFFIO_* name;
//   - DIFFP/DIFFN and DiffId: a function DIFFIO_RX_<id>p/n, DIFFIO_TX_<id>p/n, DIFFIN_<id>p/n
//     or DIFFOUT_<id>p/n; TXDIFF/RXDIFF from RX/TX in that name;
//   - HDIFFP/HDIFFN (transceiver pins): GXB_RX_<id>p/n, GXB_TX_<id>p/n, REFCLK_<id>p/n;
//     DiffId is the name without the final p/n;
//   - CLK, CLKDIFFP/CLKDIFFN, ClkDiffId: a function CLK<id>p/n; a pin whose main function
//     is such a clock input and has no other I/O function is also INPUT_ONLY;
//   - VREF: a main function starting with "VREF";
//   - SPECIAL: an I/O pin with a configuration function;
//   - DLL and DCI flags are never set (the tables do not say);
//   - standards: vendor pin-outs do not list them per pin, so every IO pin gets the set's
//     standards and other pins none.
// The result is checked by the validator like any other pin file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/pindata/pin_file.h"
#include "tools/pindata/validator.h"

namespace s4::pindata {

struct VendorRow {
  std::string Ball, Bank, Function, Optional, Configuration;
};

// One pin from one row of the table, by the rules above.
Pin PinFromRow(const VendorRow& row, const StandardSet& setStandards, bool banks);

struct ImportResult {
  PinFile File;
  std::vector<std::string> Errors;  // nothing usable was found when not empty
};

// The pins of one device package from a pin-out table. `column` names the ball column;
// empty: the package's own ("F780" for a 780-ball F package).
ImportResult ImportVendorPinout(std::string_view text, TDevicePackage dp, const std::string& column,
                                const std::string& source);

}  // namespace s4::pindata
