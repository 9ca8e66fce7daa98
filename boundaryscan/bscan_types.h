// The enumerations of the boundary-scan description and the texts its descriptions show.
// Every enumeration is stored in one byte; its value is the ordinal.
#pragma once

#include <cstdint>
#include <string_view>

namespace s4 {

enum TScanPinKind : std::uint8_t {
  eScanPinKind_Normal, eScanPinKind_TRST, eScanPinKind_TCK, eScanPinKind_TDO,
  eScanPinKind_TDI, eScanPinKind_TMS, eScanPinKind_Power, eScanPinKind_Ground,
};

enum TCellKind : std::uint8_t {
  eCellKind_Undefined, eCellKind_BC_0, eCellKind_BC_1, eCellKind_BC_2, eCellKind_BC_3,
  eCellKind_BC_4, eCellKind_BC_5, eCellKind_BC_6, eCellKind_BC_7, eCellKind_BC_8,
  eCellKind_BC_9, eCellKind_BC_10,
};

enum TCellFunction : std::uint8_t {
  eCellFunction_Undefined, eCellFunction_Input, eCellFunction_Clock, eCellFunction_Output2,
  eCellFunction_Output3, eCellFunction_Control, eCellFunction_ControlR, eCellFunction_Internal,
  eCellFunction_BiDir, eCellFunction_ObserveOnly,
};

enum TBitValue : std::uint8_t { eBit_Undefined, eBit_0, eBit_1, eBit_X };

enum TDisableResult : std::uint8_t {
  eDisableResult_Undefined, eDisableResult_HiZ, eDisableResult_Weak0, eDisableResult_Weak1,
  eDisableResult_Pull0, eDisableResult_Pull1, eDisableResult_Keeper,
};

enum TScanClockHaltMode : std::uint8_t { eScanClockHaltMode_None, eScanClockHaltMode_Low, eScanClockHaltMode_Both };

// The host's electrical type of a pin, used for a scan pin's direction.
enum TPinElectrical : std::uint8_t {
  eElectricInput, eElectricIO, eElectricOutput, eElectricOpenCollector,
  eElectricPassive, eElectricHiZ, eElectricOpenEmitter, eElectricPower,
};

// An instruction field that holds this value is not defined.
inline constexpr std::uint32_t kUndefinedInstruction = 0xFFFFFFFFu;

// Display texts (index = ordinal); an out-of-range value shows as an empty text.
std::u16string_view CellKindText(TCellKind v);
std::u16string_view CellFunctionText(TCellFunction v);
std::u16string_view BitValueText(TBitValue v);
std::u16string_view DisableResultText(TDisableResult v);
std::u16string_view PinElectricalText(TPinElectrical v);

}  // namespace s4
