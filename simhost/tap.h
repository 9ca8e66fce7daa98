// The IEEE 1149.1 test access port controller: its sixteen states and the next-state table
// that TMS drives on every rising edge of TCK. The numbering is the host's JTAG channel
// numbering (0 stands for a controller whose state nobody knows yet).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace s4::sim {

enum class TapState : std::uint8_t {
  Undefined = 0,
  TestLogicReset = 1,
  RunTestIdle = 2,
  SelectDR = 3,
  CaptureDR = 4,
  ShiftDR = 5,
  Exit1DR = 6,
  PauseDR = 7,
  Exit2DR = 8,
  UpdateDR = 9,
  SelectIR = 10,
  CaptureIR = 11,
  ShiftIR = 12,
  Exit1IR = 13,
  PauseIR = 14,
  Exit2IR = 15,
  UpdateIR = 16,
};

inline constexpr int kTapStateCount = 17;  // including Undefined

// The state after one rising edge of TCK with TMS at `tms`. From Undefined, a high TMS is
// counted as the first of the five that reach Test-Logic-Reset and a low TMS changes nothing
// (the state stays unknown).
TapState TapNext(TapState s, bool tms);

// "RESET", "IDLE", "DRSHIFT", ... (the channel's names).
std::string_view TapStateName(TapState s);

// The TMS levels that walk the controller from `from` to `to` by the shortest path (empty when
// they are equal). From Undefined and to Test-Logic-Reset the path is five high TMS clocks
// (and then the path from Test-Logic-Reset), which reaches its goal from any state.
struct TmsPath {
  std::array<bool, 16> tms{};
  std::uint8_t length = 0;
};
TmsPath TapPath(TapState from, TapState to);

}  // namespace s4::sim
