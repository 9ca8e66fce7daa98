// The pin data source format (devicedata/data/*.pins.tsv; described in
// devicedata/data/README.md).
//
//   # format: s4-pins 1
//   # pin-set: EP4SGX70DF29
//   # provenance: synthesized
//   # ... free comment lines ...
//   PinNumber<TAB>Bank<TAB>DiffId<TAB>ClkDiffId<TAB>Flags<TAB>Standards
//   A10<TAB>7C<TAB>21<TAB><TAB>IO,DIFFP<TAB>0-10,15-43
//
// Flags are names joined by ","; Standards are I/O-standard ordinals and ranges joined by ",".
// Parsing takes the text, not a file name, and reports every problem with its line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "devicedata/io_standard_table.h"

namespace s4::pindata {

inline constexpr int kFormatVersion = 1;
inline constexpr std::string_view kColumnHeader = "PinNumber\tBank\tDiffId\tClkDiffId\tFlags\tStandards";

// Option bits of a pin, in bit order.
inline constexpr std::string_view kFlagNames[16] = {
    "IO",     "VREF",   "CLK",    "SPECIAL", "INPUT_ONLY", "DCIP",     "DCIN",     "DIFFP",
    "DIFFN",  "HDIFFP", "HDIFFN", "TXDIFF",  "RXDIFF",     "CLKDIFFP", "CLKDIFFN", "DLL"};
enum PinFlag : std::uint16_t {
  kIO = 1u << 0, kVREF = 1u << 1, kCLK = 1u << 2, kSpecial = 1u << 3, kInputOnly = 1u << 4,
  kDCIP = 1u << 5, kDCIN = 1u << 6, kDiffP = 1u << 7, kDiffN = 1u << 8, kHDiffP = 1u << 9,
  kHDiffN = 1u << 10, kTxDiff = 1u << 11, kRxDiff = 1u << 12, kClkDiffP = 1u << 13, kClkDiffN = 1u << 14,
  kDLL = 1u << 15,
};

struct Pin {
  std::string PinNumber, Bank, DiffId, ClkDiffId;
  std::uint16_t Options = 0;
  StandardSet Standards;
  int Line = 0;  // line in the source text, 0 when not read from text
};

struct PinFile {
  std::string PinSet;      // "EP4SGX70DF29"
  std::string Provenance;  // "synthesized", "vendor-import", ...
  std::vector<std::string> Comments;  // further header lines, without "# "
  std::vector<Pin> Pins;
};

// One problem found in a file: where, which rule, and what.
struct Diagnostic {
  std::string File;
  int Line = 0;
  std::string Pin;
  std::string Rule;
  std::string Message;
  std::string ToString() const;
};

// Reads the text of a pin file. Problems go to `diagnostics` (rule "format"); the pins that
// could be read are returned all the same so that further checks can run.
PinFile ParsePinFile(std::string_view text, const std::string& fileName, std::vector<Diagnostic>& diagnostics);

// Writes a pin file in the canonical form that ParsePinFile reads: what a file read as is
// written so that it reads back as the same header, comments and pins.
std::string WritePinFile(const PinFile& file);

// Same header values, comments and pins (the lines they were read from aside).
bool SameContent(const PinFile& a, const PinFile& b);

std::string FlagsToText(std::uint16_t options);
std::string StandardsToText(const StandardSet& s);

}  // namespace s4::pindata
