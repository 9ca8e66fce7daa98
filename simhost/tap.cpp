#include "simhost/tap.h"

#include <deque>

namespace s4::sim {

namespace {

using S = TapState;

// Next state for TMS low and TMS high, indexed by the state's number.
constexpr std::array<std::array<S, 2>, kTapStateCount> kNext = {{
    {S::Undefined, S::Undefined},          // Undefined (high TMS handled in TapNext)
    {S::RunTestIdle, S::TestLogicReset},   // TestLogicReset
    {S::RunTestIdle, S::SelectDR},         // RunTestIdle
    {S::CaptureDR, S::SelectIR},           // SelectDR
    {S::ShiftDR, S::Exit1DR},              // CaptureDR
    {S::ShiftDR, S::Exit1DR},              // ShiftDR
    {S::PauseDR, S::UpdateDR},             // Exit1DR
    {S::PauseDR, S::Exit2DR},              // PauseDR
    {S::ShiftDR, S::UpdateDR},             // Exit2DR
    {S::RunTestIdle, S::SelectDR},         // UpdateDR
    {S::CaptureIR, S::TestLogicReset},     // SelectIR
    {S::ShiftIR, S::Exit1IR},              // CaptureIR
    {S::ShiftIR, S::Exit1IR},              // ShiftIR
    {S::PauseIR, S::UpdateIR},             // Exit1IR
    {S::PauseIR, S::Exit2IR},              // PauseIR
    {S::ShiftIR, S::UpdateIR},             // Exit2IR
    {S::RunTestIdle, S::SelectDR},         // UpdateIR
}};

constexpr std::array<std::string_view, kTapStateCount> kNames = {
    "UNDEFINED", "RESET",    "IDLE",   "DRSELECT", "DRCAPTURE", "DRSHIFT", "DREXIT1", "DRPAUSE", "DREXIT2",
    "DRUPDATE",  "IRSELECT", "IRCAPTURE", "IRSHIFT", "IREXIT1", "IRPAUSE", "IREXIT2", "IRUPDATE"};

// Shortest paths between the sixteen defined states, found once by breadth-first search.
struct PathTable {
  std::array<std::array<TmsPath, kTapStateCount>, kTapStateCount> paths{};
  PathTable() {
    for (int from = 1; from < kTapStateCount; ++from) {
      std::array<bool, kTapStateCount> seen{};
      std::deque<int> queue{from};
      seen[from] = true;
      while (!queue.empty()) {
        const int s = queue.front();
        queue.pop_front();
        for (int tms = 0; tms < 2; ++tms) {
          const int n = static_cast<int>(kNext[s][tms]);
          if (seen[n]) continue;
          seen[n] = true;
          TmsPath p = paths[from][s];
          p.tms[p.length++] = tms != 0;
          paths[from][n] = p;
          queue.push_back(n);
        }
      }
    }
  }
};

const PathTable& Paths() {
  static const PathTable table;
  return table;
}

}  // namespace

TapState TapNext(TapState s, bool tms) {
  // A high TMS from an unknown state is one step towards reset; we cannot tell which step,
  // so the state stays unknown until a path of five high levels has been walked (TapPath).
  return kNext[static_cast<int>(s)][tms ? 1 : 0];
}

std::string_view TapStateName(TapState s) {
  const auto i = static_cast<std::size_t>(s);
  return i < kNames.size() ? kNames[i] : "?";
}

TmsPath TapPath(TapState from, TapState to) {
  if (to == TapState::Undefined) return {};
  if (from == TapState::Undefined || to == TapState::TestLogicReset) {
    TmsPath p;
    for (int k = 0; k < 5; ++k) p.tms[p.length++] = true;
    const TmsPath& rest = Paths().paths[static_cast<int>(TapState::TestLogicReset)][static_cast<int>(to)];
    for (int k = 0; k < rest.length; ++k) p.tms[p.length++] = rest.tms[k];
    return p;
  }
  return Paths().paths[static_cast<int>(from)][static_cast<int>(to)];
}

}  // namespace s4::sim
