// A Description as the flat lists a boundary-scan entity is built from: scan pins (one per
// package pin, vector ports expanded), cells with their pin and target cell resolved,
// opcodes and register associations. The build-time table generator emits this form, and
// the module builds entities from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "boundaryscan/bscan_types.h"
#include "boundaryscan/bsdl/description.h"

namespace s4::bsdl {

struct FlatPin {
  TPinElectrical direction = eElectricPassive;
  std::string name;    // port name (the base name of a vector port: "VCC")
  std::string number;  // package pin
  TScanPinKind kind = eScanPinKind_Normal;
  std::vector<int> cells;  // numbers of the cells on this pin, ascending
};

struct FlatCell {
  int number = 0;
  TCellKind kind = eCellKind_Undefined;
  std::string port;  // "*" for none
  TCellFunction function = eCellFunction_Undefined;
  TBitValue safe = eBit_X;
  TBitValue disableValue = eBit_0;
  TDisableResult disableResult = eDisableResult_Undefined;
  std::string pinNumber;  // empty for "*" or an unmapped port
  int control = -1;
  int target = -1;  // on a control cell: the first cell it enables
};

struct FlatOpCode {
  std::string name, pattern;
};

struct FlatRegister {
  std::string name;  // "DEVICE_ID", "IOCSR[130175]"
  int length = 0;
  std::vector<std::string> instructions;
};

struct FlatEntity {
  std::string name;
  int boundaryLength = 0;
  double scanClockMaxSpeed = 0;
  TScanClockHaltMode haltMode = eScanClockHaltMode_None;
  std::string conformance, compliancePattern, designWarning;
  std::uint32_t instructionSample = kUndefinedInstruction;
  std::string tdi, tdo, tms, tck, trst;  // package pins of the TAP signals
  std::vector<FlatPin> pins;             // in package-pin order
  std::vector<FlatCell> cells;           // in cell-number order (merged cells once)
  std::vector<FlatOpCode> opcodes;
  std::vector<FlatRegister> registers;
};

// Uses the pin map `package` names, else the one PHYSICAL_PIN_MAP names, else the first.
// Throws std::runtime_error when the named one does not exist or there is none.
FlatEntity Flatten(const Description& d, std::string_view package = {});

// The numeric value of an opcode pattern, X bits counted as 0.
std::uint32_t OpcodeValue(std::string_view pattern);

}  // namespace s4::bsdl
