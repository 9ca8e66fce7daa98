// The SVF writer on clock sequences made by hand: what each kind of activity becomes, headers
// and trailers of other devices, checks, waits, a scan long enough to be spilled to disk, and
// activity SVF cannot express.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "simhost/svf_writer.h"
#include "tests/svf_text.h"

namespace s4::sim {
namespace {

using test::HexBits;
using test::ParseSvf;
using test::SvfCommand;

// Clocks a writer the way a channel does: walks by the standard paths, scans bit by bit.
struct Recording {
  std::ostringstream out;
  SvfWriter svf;
  explicit Recording(SvfChainLayout chain = {}) : svf(out, std::move(chain)) {}
  void Goto(TapState to, bool tdi = false) {
    const TmsPath p = TapPath(svf.State(), to);
    for (int k = 0; k < p.length; ++k) svf.Clock(p.tms[k], tdi);
  }
  // Shifts the bits from the state's Shift state, the last one leaving it, then to `end`.
  void Scan(TapState shift, const std::vector<bool>& bits, TapState end = TapState::RunTestIdle,
            const std::vector<std::pair<std::size_t, bool>>& checks = {}) {
    Goto(shift);
    for (std::size_t k = 0; k < bits.size(); ++k) {
      for (const auto& [at, level] : checks)
        if (at == k) svf.CheckTdo(level);
      svf.Clock(k + 1 == bits.size(), bits[k]);
    }
    Goto(end);
  }
  std::vector<SvfCommand> Commands() {
    svf.Finish();
    return ParseSvf(out.str());
  }
  // The commands as written, without the two ENDIR/ENDDR lines every file starts with.
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& c : Commands())
      if (c.text.rfind("ENDIR IDLE", 0) != 0 && c.text.rfind("ENDDR IDLE", 0) != 0) {
        std::string t;
        for (char ch : c.text)
          if (ch != '\n') t += ch;
        texts.push_back(t);
      }
    return texts;
  }
};

std::vector<bool> Bits(std::uint64_t value, int n) {
  std::vector<bool> bits;
  for (int k = 0; k < n; ++k) bits.push_back(((value >> k) & 1u) != 0);
  return bits;
}

TEST(SvfWriter, ActivityBecomesTheMatchingCommands) {
  struct Case {
    const char* what;
    void (*record)(Recording&);
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a reset from an unknown state, clocks in idle",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         for (int k = 0; k < 400; ++k) r.svf.Clock(false, k & 1);
       },
       {"STATE RESET", "STATE IDLE", "RUNTEST IDLE 400 TCK"}},
      {"a wait before the first stable state is kept for it; clocks after a wait come after it",
       [](Recording& r) {
         r.svf.Wait(0.04);
         r.Goto(TapState::RunTestIdle);
         r.svf.Clock(false, false);
         r.svf.Wait(1.0);
         r.svf.Clock(false, false);
         r.svf.Clock(false, false);
       },
       {"STATE RESET", "RUNTEST RESET 4.000000E-02 SEC", "STATE IDLE", "RUNTEST IDLE 1 TCK 1.000000E+00 SEC",
        "RUNTEST IDLE 2 TCK"}},
      {"an instruction and a data scan, one device",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         r.Scan(TapState::ShiftIR, Bits(0x002, 10));
         r.Scan(TapState::ShiftDR, Bits(0xA55A, 16));
       },
       {"STATE RESET", "STATE IDLE", "HIR 0", "TIR 0", "SIR 10 TDI (2)", "HDR 0", "TDR 0", "SDR 16 TDI (A55A)"}},
      {"a scan that ends in a pause state",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         r.Scan(TapState::ShiftDR, Bits(0x3, 4), TapState::PauseDR);
         r.Scan(TapState::ShiftDR, Bits(0x1, 4), TapState::PauseDR);
         r.Goto(TapState::RunTestIdle);
       },
       {"STATE RESET", "STATE IDLE", "HDR 0", "TDR 0", "ENDDR DRPAUSE", "SDR 4 TDI (3)", "SDR 4 TDI (1)",
        "STATE IDLE"}},
      {"a check of one bit",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         r.Scan(TapState::ShiftDR, Bits(0, 8), TapState::RunTestIdle, {{6, true}, {2, false}});
       },
       {"STATE RESET", "STATE IDLE", "HDR 0", "TDR 0", "SDR 8 TDI (0) TDO (40) MASK (44)"}},
      {"a walk that is not the standard one is spelled out",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         for (bool tms : {true, false, true, true, false}) r.svf.Clock(tms, false);  // capture and update, no shift
       },
       {"STATE RESET", "STATE IDLE", "STATE DRSELECT DRCAPTURE DREXIT1 DRUPDATE IDLE"}},
      {"left in Shift-DR before any bit: the file stops in Pause-DR",
       [](Recording& r) { r.Goto(TapState::ShiftDR); },
       {"STATE RESET", "STATE IDLE", "STATE DRSELECT DRCAPTURE DREXIT1 DRPAUSE"}},
      {"a reset from idle",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         for (int k = 0; k < 6; ++k) r.svf.Clock(true, false);
       },
       {"STATE RESET", "STATE IDLE", "STATE RESET", "RUNTEST RESET 3 TCK"}},
  };
  for (const auto& c : cases) {
    Recording r;
    c.record(r);
    EXPECT_EQ(r.Texts(), c.expected) << c.what << "\n" << r.out.str();
  }
}

TEST(SvfWriter, OtherDevicesBecomeHeadersAndTrailersAsLongAsTheScanHasThem) {
  // Ours between a device with an 8-bit register (TDI side) and two with 6 and 4 bits.
  Recording r({{8, 10, 6, 4}, 1});
  r.Goto(TapState::RunTestIdle);
  // Instruction scan as a channel makes it: the TDO-end devices' registers first, ones for BYPASS.
  std::vector<bool> ir(10, true);
  for (bool b : Bits(0x004, 10)) ir.push_back(b);
  ir.insert(ir.end(), 8, true);
  r.Scan(TapState::ShiftIR, ir);
  // Data scan through three BYPASS bits: two after ours (shifted first), one before.
  std::vector<bool> dr = {false, false};
  for (bool b : Bits(0x12345678, 32)) dr.push_back(b);
  dr.push_back(false);
  r.Scan(TapState::ShiftDR, dr);
  // The same scan again: the headers in force fit, nothing is restated.
  r.Scan(TapState::ShiftDR, dr);
  // A read that stops as soon as its bit is out: no trailer, and the header keeps its place.
  std::vector<bool> read(2 + 5, true);
  r.Scan(TapState::ShiftDR, read, TapState::RunTestIdle, {{6, true}});
  // Header bits that differ from the standing ones are stated anew.
  std::vector<bool> ones(2, true);
  for (bool b : Bits(0x5, 4)) ones.push_back(b);
  ones.push_back(false);
  r.Scan(TapState::ShiftDR, ones);
  const std::vector<std::string> expected = {
      "STATE RESET", "STATE IDLE", "HIR 10 TDI (3FF)", "TIR 8 TDI (FF)", "SIR 10 TDI (4)",
      "HDR 2 TDI (0)", "TDR 1 TDI (0)", "SDR 32 TDI (12345678)", "SDR 32 TDI (12345678)",
      "HDR 2 TDI (3)", "TDR 0", "SDR 5 TDI (1F) TDO (10) MASK (10)",
      "TDR 1 TDI (0)", "SDR 4 TDI (5)"};
  EXPECT_EQ(r.Texts(), expected) << r.out.str();
  EXPECT_EQ(r.svf.Stats().scans, 5u);
  EXPECT_EQ(r.svf.Stats().checkedBits, 1u);
}

TEST(SvfWriter, AScanLongerThanMemoryHoldsComesBackBitForBit) {
  // 20 Mbit (the writer keeps 8 Mbit in memory), behind a one-bit header so that every word of
  // the body straddles two stored words, and not a whole number of words long.
  Recording r({{10, 10}, 0});
  r.Goto(TapState::RunTestIdle);
  std::mt19937_64 random(11);
  const std::uint64_t n = 20'000'000 + 37;
  std::vector<bool> bits(n);
  bits[0] = true;  // the header's bit
  for (std::uint64_t k = 1; k < n; ++k) bits[k] = (random() & 1u) != 0;
  bits[n - 1] = true;  // so that no leading digit may be left out
  r.Scan(TapState::ShiftDR, bits);
  const auto commands = r.Commands();
  const SvfCommand* sdr = nullptr;
  for (const auto& c : commands)
    if (c.name == "SDR") sdr = &c;
  ASSERT_NE(sdr, nullptr);
  ASSERT_EQ(sdr->Length(), n - 1);
  const std::vector<bool> body = HexBits(sdr->hex.at("TDI"), n - 1);
  EXPECT_TRUE(std::equal(body.begin(), body.end(), bits.begin() + 1)) << "the body differs";
  EXPECT_EQ(sdr->hex.at("TDI").size(), (n - 1 + 3) / 4);
  // Lines stay short enough for any player.
  std::istringstream lines(r.out.str());
  for (std::string line; std::getline(lines, line);) ASSERT_LE(line.size(), 256u);
  EXPECT_EQ(r.svf.Stats().longestScan, n - 1);
}

TEST(SvfWriter, ActivitySvfCannotExpressIsRefused) {
  struct Case {
    const char* what;
    void (*record)(Recording&);
  };
  const Case cases[] = {
      {"two data scans without a stable state between them",
       [](Recording& r) {
         r.Goto(TapState::ShiftDR);
         r.svf.Clock(true, false);  // Exit1-DR
         r.svf.Clock(true, false);  // Update-DR
         r.svf.Clock(true, false);  // Select-DR
         r.svf.Clock(false, false);
         r.svf.Clock(false, false);  // Shift-DR again
       }},
      {"a walk into a scan through a capture and an update",
       [](Recording& r) {
         r.Goto(TapState::RunTestIdle);
         for (bool tms : {true, false, true, true, true, false, false}) r.svf.Clock(tms, false);
       }},
  };
  for (const auto& c : cases) {
    Recording r;
    EXPECT_THROW(c.record(r), SvfError) << c.what;
  }
  Recording open;
  open.Goto(TapState::ShiftDR);
  open.svf.Clock(false, true);
  EXPECT_THROW(open.svf.Finish(), SvfError) << "a file ending inside a scan";
}

}  // namespace
}  // namespace s4::sim
