// Converting vendor pin-out tables into pin data files.
#include <gtest/gtest.h>

#include "tools/pindata/vendor_import.h"

namespace s4::pindata {
namespace {

const StandardSet kSome = StandardSet{}.Add(0).Add(5);

TEST(VendorImport, RowsBecomePinsByTheirFunctionNames) {
  struct Case {
    VendorRow row;
    std::uint16_t options;
    const char* bank;
    const char* diff;
    const char* clk;
  } cases[] = {
      {{"A10", "7C", "IO", "DIFFIO_RX_C21p", ""}, kIO | kDiffP | kRxDiff, "7C", "C21", ""},
      {{"A11", "7C", "IO", "DIFFIO_RX_C21n", ""}, kIO | kDiffN | kRxDiff, "7C", "C21", ""},
      {{"A13", "7C", "IO", "CLK12p, DIFFOUT_32p", ""}, kIO | kCLK | kClkDiffP | kDiffP, "7C", "32", "12"},
      {{"P27", "1C", "CLK1p", "", ""}, kIO | kCLK | kInputOnly | kClkDiffP, "1C", "", "1"},
      {{"AA4", "QL0", "GXB_TX_L1p", "", ""}, kHDiffP | kTxDiff, "", "GXB_TX_L1", ""},
      {{"AB2", "QL0", "GXB_RX_L1n", "", ""}, kHDiffN | kRxDiff, "", "GXB_RX_L1", ""},
      {{"AB13", "3C", "VREFB3CN0", "", ""}, kVREF, "", "", ""},
      {{"K27", "1C", "IO", "", "nCSO"}, kIO | kSpecial, "1C", "", ""},
      {{"AA1", "", "GND", "", ""}, 0, "", "", ""},
  };
  for (const Case& c : cases) {
    const Pin p = PinFromRow(c.row, kSome, true);
    EXPECT_EQ(FlagsToText(p.Options), FlagsToText(c.options)) << c.row.Ball;
    EXPECT_EQ(p.Bank, c.bank) << c.row.Ball;
    EXPECT_EQ(p.DiffId, c.diff) << c.row.Ball;
    EXPECT_EQ(p.ClkDiffId, c.clk) << c.row.Ball;
    EXPECT_EQ(p.Standards == kSome, (c.options & kIO) != 0) << c.row.Ball;
  }
  // No banks in the sets that have none.
  EXPECT_EQ(PinFromRow({"A10", "7C", "IO", "", ""}, kSome, false).Bank, "");
}

TEST(VendorImport, FindsTheHeaderAndTheBallColumnAndSortsByCodeUnits) {
  const std::string text =
      "Pin Information for the Example Device\n"
      "Notice: some legal text\n"
      "Bank Number\tVREF\tPin Name/Function\tOptional Function(s)\tConfiguration Function\tF780\tF1152\n"
      "7C\tVREFB7CN0\tIO\tDIFFIO_RX_C1p\t\tA2\tB5\n"
      "7C\tVREFB7CN0\tIO\tDIFFIO_RX_C1n\t\tA10\t\n"
      "\t\tGND\t\t\t\tC3\n";
  ImportResult r = ImportVendorPinout(text, eDP_EP4SGX70DF29, "", "pinout.txt");
  EXPECT_TRUE(r.Errors.empty());
  ASSERT_EQ(r.File.Pins.size(), 2u);  // the GND row has no F780 ball
  EXPECT_EQ(r.File.Pins[0].PinNumber, "A10");
  EXPECT_EQ(r.File.Pins[1].PinNumber, "A2");
  EXPECT_EQ(r.File.Pins[0].Line, 5);
  EXPECT_EQ(r.File.Provenance, "vendor-import");
  EXPECT_EQ(r.File.PinSet, "EP4SGX70DF29");
  // A two-pin file is no pin set: the validator says so, as it would of a truncated import.
  bool counts = false;
  for (const auto& d : Validate(r.File, "out.pins.tsv")) counts |= d.Rule == "counts";
  EXPECT_TRUE(counts);

  EXPECT_FALSE(ImportVendorPinout(text, eDP_EP4SGX70DF29, "H780", "pinout.txt").Errors.empty());
  EXPECT_FALSE(ImportVendorPinout("no table here\n", eDP_EP4SGX70DF29, "", "pinout.txt").Errors.empty());
  const std::string twice = text + "7C\t\tIO\t\t\tA2\t\n";
  EXPECT_FALSE(ImportVendorPinout(twice, eDP_EP4SGX70DF29, "", "pinout.txt").Errors.empty());
}

}  // namespace
}  // namespace s4::pindata
