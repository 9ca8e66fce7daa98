// The content of a BSDL file (IEEE 1149.1 boundary-scan description language) as plain data:
// what the reader produces, the validator checks and the writer writes. Texts are kept as
// the file spells them (names in their original case, cell functions as written), so that
// a description written and read again compares equal.
//
// Every part records the line it came from, for error messages and validation findings;
// line numbers never take part in comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace s4::bsdl {

// A source line number that compares equal to every other: descriptions compare by content.
struct Line {
  int value = 0;
  friend bool operator==(Line, Line) { return true; }
};

enum class PortMode { In, Out, InOut, Buffer, Linkage };

// The widest vector port a description may have. Packages have some thousands of pins; a wider
// range is a damaged or hostile file, and the reader refuses it.
constexpr std::int64_t kMaxPortWidth = 1 << 20;

struct Port {
  std::string name;
  PortMode mode = PortMode::In;
  bool isVector = false;  // bit_vector (first to/downto last)
  int first = 0, last = 0;
  bool downto = false;
  Line line;
  // Number of bits: 1 for a scalar port. Computed in 64 bits: the range (0 to 2147483647) has
  // one bit more than an int holds.
  std::int64_t Width() const {
    return isVector ? (first <= last ? std::int64_t{last} - first : std::int64_t{first} - last) + 1 : 1;
  }
  bool operator==(const Port&) const = default;
};

// One entry of a PIN_MAP_STRING: a port and its package pin(s) (one per bit of a vector).
struct PinMapEntry {
  std::string port;
  std::vector<std::string> pins;
  bool list = false;  // written as a parenthesised list
  Line line;
  bool operator==(const PinMapEntry&) const = default;
};

struct PinMap {
  std::string name;  // the constant's name (the package)
  std::vector<PinMapEntry> entries;
  Line line;
  bool operator==(const PinMap&) const = default;
};

struct Instruction {
  std::string name;
  std::vector<std::string> opcodes;  // "0", "1" and "X", most significant bit first
  Line line;
  bool operator==(const Instruction&) const = default;
};

struct RegisterAccess {
  std::string reg;  // BOUNDARY, BYPASS, DEVICE_ID, USERCODE or a named register
  int length = -1;  // the [n] of a named register; -1 when not given
  std::vector<std::string> instructions;
  Line line;
  bool operator==(const RegisterAccess&) const = default;
};

struct Cell {
  int number = 0;
  std::string cell;      // cell type, e.g. "BC_1"
  std::string port;      // port name, "Y2(4)" for a bit of a vector, "*" for none
  std::string function;  // as written, e.g. "output3" or "OUTPUT3"
  char safe = 'X';       // '0', '1' or 'X'
  int control = -1;      // control cell number, -1 when absent
  char disableValue = 0; // '0' or '1' when a control cell is given
  std::string disableResult;  // "Z", "WEAK0", "PULL1", "KEEPER", ...
  Line line;
  bool operator==(const Cell&) const = default;
};

struct TapSignal {
  std::string port;  // empty when not declared
  Line line;
  bool operator==(const TapSignal&) const = default;
};

struct Description {
  std::string entity;
  Line entityLine;
  std::string defaultPinMap;  // the PHYSICAL_PIN_MAP generic's default, trimmed
  std::vector<Port> ports;
  std::vector<std::string> uses;  // package names of the use clauses, e.g. "STD_1149_1_2001"
  std::string conformance;        // COMPONENT_CONFORMANCE, trimmed; empty when absent
  std::vector<PinMap> pinMaps;
  TapSignal tdi, tdo, tms, tck, trst;
  double tckMaxFrequency = 0;  // hertz
  std::string tckHalt;         // "LOW" or "BOTH"
  int instructionLength = -1;
  Line instructionLengthLine;
  std::vector<Instruction> instructions;
  Line instructionsLine;
  std::string instructionCapture;
  std::vector<std::string> privateInstructions;
  std::string idcode;  // 32 characters of "0", "1", "X"; empty when absent
  Line idcodeLine;
  std::string usercode;
  std::vector<RegisterAccess> registerAccess;
  int boundaryLength = -1;
  Line boundaryLengthLine;
  std::vector<Cell> cells;
  Line cellsLine;
  std::string compliancePatterns;
  std::string designWarning;

  bool operator==(const Description&) const = default;

  const Port* FindPort(std::string_view name) const;
  const Instruction* FindInstruction(std::string_view name) const;
  const PinMap* FindPinMap(std::string_view name) const;
  // The pin map the PHYSICAL_PIN_MAP default names, else the only one, else none.
  const PinMap* DefaultPinMap() const;
};

// Case-insensitive comparison of ASCII names, as VHDL identifiers compare.
bool SameName(std::string_view a, std::string_view b);

// The ports of a description by name, for callers that look up every cell's or pin's port
// (FindPort searches the list, and large devices declare thousands of ports). Answers as
// FindPort does: the first port of the name, letter case ignored. Valid while the ports are.
class PortIndex {
 public:
  explicit PortIndex(const std::vector<Port>& ports);
  const Port* Find(std::string_view name) const;

 private:
  struct Hash {
    std::size_t operator()(std::string_view s) const;
  };
  struct Equal {
    bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
  };
  std::unordered_map<std::string_view, const Port*, Hash, Equal> ports_;
};

}  // namespace s4::bsdl
