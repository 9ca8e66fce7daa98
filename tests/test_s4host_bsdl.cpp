// s4host bsdl: the exported file of every package passes our reader, our validator and the
// UrJTAG library.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
#include "tests/host_test_folder.h"
#include "tests/module_fixture.h"
#include "tests/s4host_runner.h"
#include "tools/bsdl_urjtag_check.h"


namespace s4::test {
namespace {


const char* const kFiles[] = {
    "EP4SGX70DF29",  "EP4SGX70HF35",  "EP4SGX110DF29", "EP4SGX110FF35", "EP4SGX110HF35", "EP4SGX180DF29",
    "EP4SGX180FF35", "EP4SGX180HF35", "EP4SGX180KF40", "EP4SGX230DF29", "EP4SGX230FF35", "EP4SGX230HF35",
    "EP4SGX230KF40", "EP4SGX290FH29", "EP4SGX290FF35", "EP4SGX290HF35", "EP4SGX290KF40", "EP4SGX290KF43",
    "EP4SGX290NF45", "EP4SGX360FH29", "EP4SGX360FF35", "EP4SGX360HF35", "EP4SGX360KF40", "EP4SGX360KF43",
    "EP4SGX360NF45", "EP4SGX530HH35", "EP4SGX530KH40", "EP4SGX530KF43", "EP4SGX530NF45", "EP4SE230F29",
    "EP4SE360H29",   "EP4SE360F35",   "EP4SE530H35",   "EP4SE530H40",   "EP4SE530F43",   "EP4SE820H35",
    "EP4SE820H40",   "EP4SE820F43",   "EP4S40G2F40",   "EP4S40G5H40",   "EP4S100G2F40",  "EP4S100G3F45",
    "EP4S100G4F45",  "EP4S100G5H40",  "EP4S100G5F45",
};

TEST(S4hostBsdl, EveryPackageExportsAFileThatReaderValidatorAndUrjtagAccept) {
  const bool urjtag = bsdl_check::UrjtagAvailable();
  // A folder of this run's own: two builds testing at once must not read each other's files.
  const TempFolder folder;
  const std::filesystem::path& dir = folder.path();
  for (const char* name : kFiles) {
    SCOPED_TRACE(name);
    const std::filesystem::path out = dir / (std::string(name) + ".bsd");
    const CommandRun r = S4host("bsdl " + std::string(name) + ".BSD -o \"" + out.string() + "\"");
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output, "");
    bsdl::Description d;
    ASSERT_NO_THROW(d = bsdl::ReadFile(out.string()));
    EXPECT_EQ(d.entity, name);
    for (const bsdl::Finding& f : bsdl::Validate(d)) ADD_FAILURE() << bsdl::Format(out.string(), f);
    if (urjtag) {
      EXPECT_EQ(bsdl_check::UrjtagAccepts(out.string()), true);
    }
  }
  if (!urjtag) GTEST_SKIP() << "UrJTAG not installed (Debian liburjtag-dev and urjtag): independent check skipped";
}

TEST(S4hostBsdl, DevicesByNameOrKindAndErrors) {
  const CommandRun byName = S4host("bsdl ep4sgx70df29c2x");
  EXPECT_EQ(byName.exitCode, 0);
  EXPECT_NE(byName.output.find("synthesized, not vendor data"), std::string::npos);
  EXPECT_NE(byName.output.find("\"384 (BC_4, MSEL2, input, X), \" &"), std::string::npos);
  EXPECT_EQ(S4host("bsdl 0").output, byName.output);
  const CommandRun unknown = S4host("bsdl EP4SGX70DF28.bsd");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.output.find("no device has the BSDL file 'EP4SGX70DF28.bsd'; nearest: EP4SGX70DF29.bsd"),
            std::string::npos)
      << unknown.output;
  EXPECT_EQ(S4host("bsdl 486").exitCode, 2);
  EXPECT_EQ(S4host("bsdl").exitCode, 2);
  const CommandRun unwritable = S4host("bsdl 0 -o /nonexistent-folder/x.bsd");
  EXPECT_EQ(unwritable.exitCode, 3);
  EXPECT_NE(unwritable.output.find("cannot write"), std::string::npos);
  EXPECT_EQ(S4host("bsdl --help").exitCode, 0);
}

TEST(S4hostBsdl, CheckReportsFindingsAndSyntaxErrorsWithTheirLines) {
  const std::string dir = std::string(S4_FIXTURES_DIR) + "/bsdl/";
  const CommandRun sound = S4host("bsdl-check \"" + dir + "EP4CE40F29.bsdl\" \"" + dir + "sctm002.bsm\"");
  EXPECT_EQ(sound.exitCode, 0) << sound.output;
  EXPECT_NE(sound.output.find("EP4CE40F29, "), std::string::npos);
  EXPECT_NE(sound.output.find("1632 cells, 11 instructions, 0 finding(s)"), std::string::npos) << sound.output;
  const CommandRun quirk = S4host("bsdl-check \"" + dir + "SCAN90CP02.bsdl\"");
  EXPECT_EQ(quirk.exitCode, 1);
  EXPECT_NE(quirk.output.find("SCAN90CP02.bsdl:157: REGISTER_ACCESS of BYPASS names BYPASS"), std::string::npos) << quirk.output;
  const TempFolder folder;
  const std::string broken = folder.Write("broken.bsd", "entity X is\n  port (A : sideways bit);\nend X;\n");
  const CommandRun bad = S4host("bsdl-check \"" + broken + "\"");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.output.find(":2: expected a port mode (in, out, inout, buffer or linkage), found \"sideways\""),
            std::string::npos) << bad.output;
  EXPECT_EQ(S4host("bsdl-check /nonexistent.bsd").exitCode, 3);
}

}  // namespace
}  // namespace s4::test
