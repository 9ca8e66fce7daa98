// The built-in boundary-scan records: one per BSDL file name of the family, generated at
// build time (tools/bsdl_gen_main.cpp) from the BSDL sources in boundaryscan/data through the
// same reader that imports vendor files. Texts are indexes into one shared string pool, and
// records that have the same pins or cells share one array.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace s4::builtin {

using StringId = std::uint16_t;  // index into the string pool; 0 is the empty text

struct PinRecord {
  StringId name, number;
  std::uint8_t direction, kind;  // TPinElectrical, TScanPinKind
  std::int16_t cells[2];         // cell numbers, -1 beyond the pin's count
};

struct CellRecord {
  StringId port, pinNumber;
  std::int16_t control, target;  // -1 for none
  std::uint8_t kind, function, safe, disableValue, disableResult;  // TCellKind, TCellFunction, TBitValue, ...
};

struct OpCodeRecord {
  StringId name, pattern;
};

struct RegisterRecord {
  StringId name;
  std::int32_t length;
  StringId opcode;  // the instruction name of its one opcode entry
};

struct BSDLRecord {
  StringId name, filename, conformance, compliancePattern;
  std::int32_t boundaryLength;
  double scanClockMaxSpeed;
  std::uint8_t haltMode;  // TScanClockHaltMode
  std::uint32_t instructionSample;
  StringId tdi, tdo, tms, tck, trst;
  std::uint16_t pinCount, cellCount, opCodeCount, registerCount;
  const PinRecord* pins;
  const CellRecord* cells;
  const OpCodeRecord* opCodes;
  const RegisterRecord* registers;
};

std::span<const BSDLRecord> Records();
std::u16string_view String(StringId id);
// Number of texts in the pool (StringId values are below it).
std::size_t StringCount();
// Bytes of constant data the records take (arrays and string pool).
std::size_t StaticSize();

}  // namespace s4::builtin
