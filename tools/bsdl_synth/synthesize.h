// The deterministic synthesizer of the built-in BSDL sources (boundaryscan/data/*.bsd).
//
// The vendor's BSDL files of these devices are not available, so each source is made up
// from the package's pin set (devicedata/data/*.pins.tsv) and the facts that are fixed for
// every record (records.h), following the vendor's conventions of a sibling family:
//   - the five TAP balls carry TCK, TDI, TDO, TMS and TRST, without cells;
//   - every other I/O ball of the pin set is an ordinary I/O pin "IO" + ball with a cell
//     triple (input BC_1, control BC_1 safe 1, output3 BC_1 disabled to Z by the control);
//   - eleven unflagged balls are configuration pins: BC_4 input cells for the inputs
//     (MSEL0..3, nCONFIG, nCE, PORSEL, nIO_PULLUP), control plus output3 for the outputs
//     (nCSO, ASDO, nCEO), each followed by one BC_4 internal cell;
//   - the other unflagged balls are ground and power (alternately); balls with other flags
//     (transceiver and dedicated clock pins) are unscanned linkage ports;
//   - BC_4 internal cells fill the register up to its fixed length.
// The triples run around the package from A25-like corner positions (by angle around the
// centre); the first 128 triples come before the configuration block.
#pragma once

#include <string>
#include <vector>

#include "boundaryscan/bsdl/description.h"
#include "tools/bsdl_synth/records.h"
#include "tools/pindata/pin_file.h"

namespace s4::bsdl_synth {

struct Synthesized {
  bsdl::Description description;
  std::string text;                       // the BSDL file, with its "synthesized" header
  std::vector<std::string> notes;         // e.g. I/O balls the register is too short for
};

// Throws std::runtime_error when the pin set cannot carry the record (too few balls, too many
// I/O pins for the register length, a TAP ball missing from the pin set or flagged there).
Synthesized Synthesize(const RecordFacts& record, const pindata::PinFile& pins);

}  // namespace s4::bsdl_synth
