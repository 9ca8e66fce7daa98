// The built-in boundary-scan records: one per BSDL file name of the family, generated at
// build time (tools/bsdl_gen_main.cpp) from the BSDL sources in boundaryscan/data through the
// same reader that imports vendor files. Texts are indexes into one shared string pool, and
// records that have the same pins or cells share one array. What cells have in common (kind,
// function, safe and disable values, where their control and target cells lie relative to
// them) is kept once in a table of cell shapes: a cell is its port, its pin and a shape.
#pragma once

#include <cstddef>
#include <climits>
#include <cstdint>
#include <span>
#include <string_view>

namespace s4::builtin {

using StringId = std::uint16_t;  // index into the string pool; 0 is the empty text

// The layout of the records below. The generator writes it into its output, so that a
// generated file of another layout fails to compile instead of being misread.
constexpr std::uint32_t kRecordSchema = 2;

struct PinRecord {
  StringId name, number;
  std::uint8_t direction, kind;  // TPinElectrical, TScanPinKind
  std::int16_t cells[2];         // cell numbers, -1 beyond the pin's count
};

// A cell's control and target cells as offsets from its own number; kNoCell for none.
constexpr std::int16_t kNoCell = INT16_MIN;

struct CellShape {
  std::int16_t control, target;
  std::uint8_t kind, function, safe, disableValue, disableResult;  // TCellKind, TCellFunction, TBitValue, ...
};

struct CellRecord {
  StringId port, pinNumber;
  std::uint16_t shape;  // index into CellShapes()
};

// The number of a cell `offset` (a CellShape field) away from cell `number`; -1 for none.
constexpr int RelativeCell(int number, std::int16_t offset) { return offset == kNoCell ? -1 : number + offset; }

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
std::span<const CellShape> CellShapes();
std::u16string_view String(StringId id);
// Number of texts in the pool (StringId values are below it).
std::size_t StringCount();
// Bytes of constant data the records take (arrays and string pool).
std::size_t StaticSize();

}  // namespace s4::builtin
