// Writing a description and reading it back gives the same description.
#include <gtest/gtest.h>

#include <filesystem>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
#include "boundaryscan/bsdl/writer.h"
#include "tests/host_test_folder.h"
#include "tools/bsdl_urjtag_check.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace s4::bsdl {
namespace {

TEST(BSDLWriter, EveryVendorFileRoundTrips) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(S4_FIXTURES_DIR) + "/bsdl")) {
    if (entry.path().extension() == ".md") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ++files;
    const Description d = ReadFile(entry.path().string());
    const std::string text = Write(d, "written back\nby the round-trip test");
    Description again;
    ASSERT_NO_THROW(again = Read(text, "written.bsd")) << text.substr(0, 2000);
    EXPECT_TRUE(again == d);
    EXPECT_EQ(again.cells, d.cells);
    EXPECT_EQ(again.pinMaps, d.pinMaps);
    EXPECT_EQ(again.designWarning, d.designWarning);
    // The written file is no less sound than its source.
    EXPECT_EQ(Validate(again).size(), Validate(d).size());
    // Writing is deterministic and a fixed point.
    EXPECT_EQ(Write(again, "written back\nby the round-trip test"), text);
  }
  EXPECT_EQ(files, 8);
}

TEST(BSDLWriter, UrjtagAcceptsTheWrittenVendorFiles) {
  if (!bsdl_check::UrjtagAvailable()) GTEST_SKIP() << "UrJTAG not installed (Debian liburjtag-dev and urjtag): independent check skipped";
  const s4::test::TempFolder folder;  // this run's own: builds testing at once do not clash
  const std::filesystem::path& dir = folder.path();
  for (const auto& entry : std::filesystem::directory_iterator(std::string(S4_FIXTURES_DIR) + "/bsdl")) {
    if (entry.path().extension() == ".md") continue;
    SCOPED_TRACE(entry.path().filename().string());
    const Description d = ReadFile(entry.path().string());
    // UrJTAG has no 1149.6 package, so it refuses every file that uses one.
    if (std::find(d.uses.begin(), d.uses.end(), "STD_1149_6_2003") != d.uses.end()) continue;
    const std::filesystem::path out = dir / entry.path().filename();
    std::ofstream(out, std::ios::binary) << Write(d);
    EXPECT_EQ(bsdl_check::UrjtagAccepts(out.string()), true);
  }
  // And it does reject a broken file, so its verdict means something.
  const std::filesystem::path broken = dir / "broken.bsd";
  std::ofstream(broken, std::ios::binary) << "entity BROKEN is\n  port (TDI : in bit\nend BROKEN;\n";
  EXPECT_EQ(bsdl_check::UrjtagAccepts(broken.string()), false);
}

TEST(BSDLWriter, QuotesAndRealsSurvive) {
  Description d;
  d.entity = "Q";
  d.designWarning = "say \"hello\"; then stop";
  d.tck.port = "TCK";
  d.ports.push_back({"TCK", PortMode::In, false, 0, 0, false, {}});
  for (double hz : {10e6, 8e6, 12.5e6, 33.333333e6, 1.0, 0.0, 1.7976931348623157e308, 2.2250738585072014e-308}) {
    d.tckMaxFrequency = hz;
    const Description again = Read(Write(d), "q.bsd");
    EXPECT_EQ(again.tckMaxFrequency, hz);
    EXPECT_EQ(again.designWarning, d.designWarning);
  }
}

TEST(BSDLWriter, RefusesWhatTheReaderWouldRefuse) {
  // A description made by a program, not read from a file, can hold values no BSDL file can:
  // writing them would give a file that does not read back.
  Description d;
  d.entity = "Q";
  d.tck.port = "TCK";
  d.ports.push_back({"TCK", PortMode::In, false, 0, 0, false, {}});
  for (double hz : {HUGE_VAL, -HUGE_VAL, std::nan(""), -1.0, -0.0, 4.9406564584124654e-324}) {
    SCOPED_TRACE(hz);
    d.tckMaxFrequency = hz;
    EXPECT_THROW(Write(d), std::invalid_argument);
  }
  d.tckMaxFrequency = 1e6;
  d.ports.push_back({"WIDE", PortMode::In, true, 0, 2147483647, false, {}});
  EXPECT_THROW(Write(d), std::invalid_argument);
  d.ports.back().last = 7;
  EXPECT_EQ(Read(Write(d), "q.bsd").ports.back().Width(), 8);
}

}  // namespace
}  // namespace s4::bsdl
