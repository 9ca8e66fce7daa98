// Turns the clock-by-clock activity on a JTAG chain into SVF (Serial Vector Format), the text
// that JTAG players run: every rising edge of TCK with its TMS and TDI levels goes in, and
// comes out folded into SVF commands:
//
//   - a walk between stable states (RESET, IDLE, DRPAUSE, IRPAUSE) as STATE (with the states
//     spelled out when the walk is not the standard one);
//   - clocks that stay in a stable state as RUNTEST <state> n TCK, waits as RUNTEST ... SEC;
//   - a visit to Shift-DR or Shift-IR as one SDR or SIR with every bit shifted there, with
//     TDO/MASK where a check was asked for; the end state becomes ENDDR/ENDIR.
//
// The device the file is for sits at a known position of the chain; the bits of the other
// devices (which are in BYPASS for data scans) become HIR/TIR/HDR/TDR headers and trailers.
// Header bits are shifted first and end up in the devices nearer TDO; trailer bits are shifted
// last and stay in the devices nearer TDI. A header or trailer is rewritten only when a scan's
// own bits differ from the one in force, so the file replays exactly what was recorded.
//
// Scans can be hundreds of megabits long (a whole configuration image). Their bits are kept in
// memory up to a few megabytes and spilled to a temporary file beyond that; SVF writes the last
// shifted bit first, so the spill is read back from its end. Lines stay at most 64 digits.
//
//   std::ofstream out("x.svf");
//   SvfWriter svf(out, {{8, 10, 6}, 1});   // our device is the middle one of three
//   svf.Clock(tms, tdi); ...; svf.CheckTdo(true); ...; svf.Wait(0.04); ...
//   svf.Finish();
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "simhost/tap.h"

namespace s4::sim {

// The chain as the file sees it: instruction-register lengths from the TDI end, and the
// position of the device the file is written for.
struct SvfChainLayout {
  std::vector<int> irLengths = {10};
  int position = 0;
};

// What the written file amounts to.
struct SvfStats {
  std::uint64_t clocks = 0;       // TCK cycles of the recorded sequence
  double waitSeconds = 0;         // time the RUNTEST ... SEC commands ask for
  std::uint64_t commands = 0;     // SVF commands written
  std::uint64_t scans = 0;        // SIR and SDR commands
  std::uint64_t longestScan = 0;  // bits of the longest SIR/SDR (without header and trailer)
  std::uint64_t checkedBits = 0;  // TDO bits the player compares
  std::uint64_t bytes = 0;        // text written
};

// The recorded activity has no SVF equivalent (for example two scans without a stable state
// between them), or the output could not be written.
struct SvfError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class SvfWriter {
 public:
  // `spoolDir` holds the spill file of long scans (default: the system's temporary folder).
  SvfWriter(std::ostream& out, SvfChainLayout chain, std::filesystem::path spoolDir = {});
  ~SvfWriter();
  SvfWriter(const SvfWriter&) = delete;
  SvfWriter& operator=(const SvfWriter&) = delete;

  // A comment line ("! text") at this point of the file.
  void Comment(std::string_view text);
  // FREQUENCY hz HZ: the highest TCK frequency the player should use.
  void Frequency(double hz);

  // One rising edge of TCK with these levels. Staying in Shift-DR is by far the most common
  // edge (a configuration image), so it takes the short way.
  void Clock(bool tms, bool tdi) {
    if (state_ == TapState::ShiftDR && !tms) [[likely]] {
      Push(tdi);
      return;
    }
    SlowClock(tms, tdi);
  }
  // The bit now on TDO (in Shift-DR or Shift-IR, before the next edge) must read `level`.
  // Elsewhere TDO is not driven and nothing is checked.
  void CheckTdo(bool level);
  // Time that must pass where the controller is now. In a stable state it becomes RUNTEST ...
  // SEC; before the first stable state it is kept for the first one; elsewhere (the controller
  // stopped in the middle of a walk or a scan) it has no SVF form and only the clock stops.
  void Wait(double seconds);

  TapState State() const { return state_; }
  bool InShiftDr() const { return state_ == TapState::ShiftDR; }

  // Writes what is still pending. A controller left in a Shift state before its first bit
  // is left in the Pause state next to it; a scan with bits not finished by then (the
  // controller still in it or on its way out) is an error.
  void Finish();
  const SvfStats& Stats() const { return stats_; }

 private:
  // The bits of the scan being recorded, spilled to a file when long.
  class ScanBits;

  void Push(bool b) {
    word_ |= static_cast<std::uint64_t>(b) << used_;
    if (++used_ == 64) FullWord();
  }
  void FullWord();
  void SlowClock(bool tms, bool tdi);
  void Arrive(TapState stable);
  void FlushRun();
  void BeginScan(TapState shiftState);
  void EndScan(TapState end);
  // One header or trailer command when it differs from the one in force.
  void Header(int which, std::uint64_t length, std::uint64_t from);
  void Line(const std::string& text);
  // `label (hex)` of a field `length` bits long whose 64-bit word j is word(j).
  template <class WordOf>
  void HexField(const char* label, std::uint64_t length, WordOf&& word);

  std::ostream& out_;
  SvfChainLayout chain_;
  std::uint64_t headerBits_[4] = {};  // standard lengths of HIR, TIR, HDR, TDR
  struct Pattern {
    std::uint64_t length = 0;
    std::vector<std::uint64_t> words;
    bool operator==(const Pattern&) const = default;
  };
  Pattern written_[4];  // what is in force in the file
  bool started_ = false;

  TapState state_ = TapState::Undefined;
  int highsFromUnknown_ = 0;
  TapState stable_ = TapState::Undefined;  // the stable state last reached
  std::vector<TapState> path_;             // states entered since leaving it
  std::uint64_t runClocks_ = 0;            // clocks spent in it, not yet written
  double pendingWait_ = 0;                 // time to spend in it, not yet written
  TapState endIr_ = TapState::RunTestIdle, endDr_ = TapState::RunTestIdle;

  // The scan in progress (from entering Shift until the next stable state).
  bool scanning_ = false;
  bool scanIsIr_ = false;
  std::vector<TapState> exitPath_;
  std::uint64_t word_ = 0;
  int used_ = 0;
  std::unique_ptr<ScanBits> bits_;
  std::vector<std::pair<std::uint64_t, bool>> checks_;

  SvfStats stats_;
  std::string buffer_;
};

}  // namespace s4::sim
