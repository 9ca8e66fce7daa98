// What the pin data tools read from outside: board projects (.qsf), vendor pin-out rows and
// pin data files themselves. Each is hostile-looking text in places (tokens of tens of
// kilobytes, comments that look like header lines), and each must be read the same way
// whatever its size, and written back as what it was read as.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pindata/pin_file.h"
#include "tools/pindata/text_file.h"
#include "tools/pindata/validator.h"
#include "tools/pindata/vendor_import.h"

namespace s4::pindata {
namespace {

std::string DataFile(const std::string& name) {
  return std::string(S4_SOURCE_DIR) + "/devicedata/data/" + name + ".pins.tsv";
}

// Long enough that a recursive matcher runs out of stack on it.
const std::string kLong(60000, 'Q');

TEST(BoardProjectReader, ReadsDeviceLocationsAndStandardsLineByLine) {
  struct Case {
    const char* what;
    std::string text;
    std::string device;
    std::vector<BoardPin> pins;
  } cases[] = {
      {"plain lines", "set_global_assignment -name DEVICE EP4SGX230KF40C2\n"
                      "set_location_assignment PIN_AC35 -to LED[0]\n"
                      "set_instance_assignment -name IO_STANDARD \"2.5 V\" -to LED[0]\n",
       "EP4SGX230KF40C2", {{"AC35", "2.5 V", "LED[0]"}}},
      {"blanks, tabs, CR LF and trailing words", "  set_global_assignment\t-name  DEVICE EP4SGX530KH40C2 -comment x\r\n"
                                                 "\tset_location_assignment PIN_B7 -to clk -disable\r\n"
                                                 "set_instance_assignment -name IO_STANDARD LVDS -to clk\r\n",
       "EP4SGX530KH40C2", {{"B7", "LVDS", "clk"}}},
      {"comments and templates are no assignments", "# set_location_assignment PIN_A10 -to x\n"
                                                    "   # set_global_assignment -name DEVICE EP4SE230F29C2\n"
                                                    "set_location_assignment PIN_PIN -to y\n"
                                                    "set_location_assignment PIN_10 -to y\n"
                                                    "set_location_assignment PIN_A10x -to y\n"
                                                    "set_location_assignment PIN_A10 -to\n",
       "", {}},
      {"a standard given after its location, and a quote without its end", "set_location_assignment PIN_A11 -to d\n"
                                                                           "set_instance_assignment -name IO_STANDARD \"1.4-V PCML\" -to d\n"
                                                                           "set_location_assignment PIN_A12 -to e\n"
                                                                           "set_instance_assignment -name IO_STANDARD \"LVDS -to e\n",
       "", {{"A11", "1.4-V PCML", "d"}, {"A12", "", "e"}}},
      {"long tokens in every place", "set_global_assignment -name DEVICE " + kLong + "\n"
                                     "set_location_assignment PIN_" + kLong + "1 -to a\n"
                                     "set_location_assignment PIN_A13 -to " + kLong + "\n"
                                     "set_instance_assignment -name IO_STANDARD \"" + kLong + "\" -to " + kLong + "\n"
                                     "set_instance_assignment -name " + kLong + " x -to a\n" + kLong + "\n",
       kLong, {{"Q" + std::string(kLong.size() - 1, 'Q') + "1", "", "a"}, {"A13", kLong, kLong}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const BoardAssignments b = ParseBoardAssignments(c.text, "board.qsf");
    EXPECT_EQ(b.Device, c.device);
    ASSERT_EQ(b.Pins.size(), c.pins.size());
    for (std::size_t i = 0; i < c.pins.size(); ++i) {
      EXPECT_EQ(b.Pins[i].Ball, c.pins[i].Ball);
      EXPECT_EQ(b.Pins[i].Standard, c.pins[i].Standard);
      EXPECT_EQ(b.Pins[i].Signal, c.pins[i].Signal);
    }
  }
}

TEST(VendorPinoutRow, FunctionNamesGiveFlagsAndPairIdsWhateverTheirLength) {
  StandardSet all;
  for (std::uint32_t o = 0; o < kIOStandardCount; ++o) all.Add(o);
  struct Case {
    std::string function, optional;
    std::uint16_t options;
    std::string diffId, clkDiffId;
  } cases[] = {
      {"IO", "DIFFIO_RX_L12p", kIO | kDiffP | kRxDiff, "L12", ""},
      {"IO", "diffio_tx_r3N", kIO | kDiffN | kTxDiff, "r3", ""},
      {"DIFFIN_B1_2p", "", kIO | kDiffP, "B1_2", ""},
      {"DIFFOUT_9n", "", kIO | kDiffN, "9", ""},
      {"GXB_RX_R0p", "", kHDiffP | kRxDiff, "GXB_RX_R0", ""},
      {"gxb_tx_L1n", "", kHDiffN | kTxDiff, "gxb_tx_L1", ""},
      {"REFCLK_QL0p", "", kHDiffP, "REFCLK_QL0", ""},
      {"CLK4p", "", kIO | kInputOnly | kCLK | kClkDiffP, "", "4"},
      {"IO", "CLK4n", kIO | kCLK | kClkDiffN, "", "4"},
      {"VREFB3CN0", "", kVREF, "", ""},
      // Not pair names: no id, no polarity, a character outside the id's.
      {"DIFFIO_RX_p", "", 0, "", ""},
      {"CLKp", "", 0, "", ""},
      {"GXB_RX_R0x", "", 0, "", ""},
      {"DIFFIN_A-1p", "", 0, "", ""},
      // long cells: a 60 KB pair name is read, a 60 KB name of nothing is nothing
      {"IO", "DIFFIO_RX_" + kLong + "p", kIO | kDiffP | kRxDiff, kLong, ""},
      {"CLK" + kLong + "n", "", kIO | kInputOnly | kCLK | kClkDiffN, "", kLong},
      {kLong, kLong + "-", 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function.substr(0, 40) + " / " + c.optional.substr(0, 40));
    const Pin p = PinFromRow({"A10", "3C", c.function, c.optional, ""}, all, true);
    EXPECT_EQ(FlagsToText(p.Options), FlagsToText(c.options));
    EXPECT_EQ(p.DiffId, c.diffId);
    EXPECT_EQ(p.ClkDiffId, c.clkDiffId);
  }
}

// A file that reads without a diagnostic is written so that it reads back the same: same
// device package, same provenance, same comments in the same order, same pins.
TEST(PinFileFormat, WhatIsWrittenReadsBackAsWhatWasRead) {
  auto original = ReadTextFile(DataFile("EP4SGX70DF29"));
  ASSERT_TRUE(original);
  const std::string header = std::string(kColumnHeader) + "\n";
  struct Case {
    const char* what;
    std::string afterColumns;  // inserted right after the column header line
    std::string atEnd;
  } cases[] = {
      {"another pin set and provenance after the column header", "# pin-set: EP4SE230F29\n# provenance: vendor-import\n", ""},
      {"a format line after the column header", "# format: s4-pins 2\n", ""},
      {"header-like comments among and after the pins", "# an ordinary note\n", "# pin-set: EP4SE230F29\n# x: y\n"},
      {"comments and values ending in stray CRs", "# note\r\r\n", "# provenance: other\r\r\r\n"},
      {"spaces and empty comments", "#\n#   indented: yes\n#pin-set:EP4SE230F29\n", "# \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = *original;
    const auto at = text.find(header);
    ASSERT_NE(at, std::string::npos);
    text.insert(at + header.size(), c.afterColumns);
    text += c.atEnd;
    std::vector<Diagnostic> d;
    const PinFile first = ParsePinFile(text, "EP4SGX70DF29.pins.tsv", d);
    ASSERT_TRUE(d.empty()) << d.front().ToString();
    EXPECT_EQ(first.PinSet, "EP4SGX70DF29");
    EXPECT_EQ(first.Provenance, "synthesized");
    const std::string written = WritePinFile(first);
    const PinFile second = ParsePinFile(written, "rewritten.pins.tsv", d);
    EXPECT_TRUE(d.empty()) << (d.empty() ? "" : d.front().ToString());
    EXPECT_TRUE(SameContent(first, second)) << written.substr(0, 800);
    EXPECT_EQ(second.PinSet, "EP4SGX70DF29");
    EXPECT_EQ(second.Provenance, "synthesized");
    EXPECT_EQ(WritePinFile(second), written);
    EXPECT_TRUE(Validate(second, "rewritten.pins.tsv").empty());
  }
}

TEST(PinFileFormat, CommentsMadeByAToolComeBackInTheirOrder) {
  PinFile f;
  f.PinSet = "EP4SE230F29";
  f.Provenance = "vendor-import";
  f.Comments = {"first", "provenance: synthesized", "third", "pin-set: EP4SGX70DF29", "format: s4-pins 9"};
  f.Pins.push_back({"A10", "", "", "", kIO, {}, 0});
  std::vector<Diagnostic> d;
  const PinFile back = ParsePinFile(WritePinFile(f), "made.pins.tsv", d);
  EXPECT_TRUE(d.empty());
  EXPECT_TRUE(SameContent(f, back));
}

}  // namespace
}  // namespace s4::pindata
