// The compact constant pin tables, generated at build time by s4_pingen from
// devicedata/data/*.pins.tsv (never edited by hand).
//
// Strings are interned once in one UTF-16 pool and named by a 16-bit index; standard sets
// are interned the same way. A pin is six 16-bit numbers. The pins of all 45 sets lie in one
// array, each set a slice of it in PinNumber (code-unit) order.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "devicedata/device_tables.h"

namespace s4::pintables {

// Bumped whenever the layout below changes; the generated file checks it when compiled.
inline constexpr int kSchemaVersion = 1;

struct StringRef {
  std::uint16_t Offset;
  std::uint16_t Length;
};

struct PinRecord {
  std::uint16_t Number, Bank, DiffId, ClkDiffId;  // indexes into kStrings
  std::uint16_t Options;                          // pin kind flags, bit order of the data files
  std::uint16_t Standards;                        // index into kStandardSets
};

enum class Provenance : std::uint8_t { Synthesized, VendorImport, Other };

struct PinSetTable {
  std::int32_t PinCount, IOCount, DiffCount, HSpeedDiffCount;
  StandardSet Standards;
  std::uint32_t FirstPin;  // index of the set's first pin in kPins
  Provenance Source;
};

extern const char16_t kStringPool[];
extern const StringRef kStrings[];
extern const StandardSet kStandardSets[];
extern const PinRecord kPins[];
extern const PinSetTable kPinSets[kPinSetCount];
extern const std::size_t kStringPoolSize, kStringCount, kStandardSetCount, kPinCount;

inline std::u16string_view String(std::uint16_t index) {
  const StringRef r = kStrings[index];
  return {kStringPool + r.Offset, r.Length};
}

inline std::span<const PinRecord> Pins(TDevicePinSet set) {
  const PinSetTable& t = kPinSets[set];
  return {kPins + t.FirstPin, static_cast<std::size_t>(t.PinCount)};
}

// Static size of the generated tables in bytes.
std::size_t TableBytes();

}  // namespace s4::pintables
