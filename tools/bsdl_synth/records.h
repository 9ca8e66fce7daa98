// What is fixed of each of the 45 built-in boundary-scan descriptions: the file, the pin and
// cell counts, the five TAP balls and the length of the I/O configuration register.
#pragma once

#include <span>
#include <string_view>

namespace s4::bsdl_synth {

struct RecordFacts {
  std::string_view name;  // the device package, e.g. "EP4SGX70DF29" (the file is name + ".bsd")
  int pins;
  int cells;
  std::string_view tdi, tdo, tms, tck, trst;
  int iocsr;
};

std::span<const RecordFacts> Records();

// The first line of every BSDL source the synthesizer writes; a source without it (a vendor's
// file put in its place) is vendor data.
inline constexpr std::string_view kSynthesizedMark = "-- SYNTHESIZED DATA - NOT VENDOR DATA.";

// Where a boundary-scan source came from, by its text: "synthesized" or "vendor".
std::string_view BsdlSourceProvenance(std::string_view text);

}  // namespace s4::bsdl_synth
