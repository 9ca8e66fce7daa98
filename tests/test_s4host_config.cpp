// s4host config as a user runs it: folders, families with their sources, clock cycles and the
// vendor tools of a Quartus II installation it is pointed at.
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/host_test_folder.h"
#include "tests/module_fixture.h"
#include "tests/s4host_runner.h"


namespace s4::test {
namespace {


TEST(S4hostConfig, ShowsWhatTheModuleFinds) {
  TempFolder tmp;
  tmp.Write("plug/VireoConfig.ini", "[General]\nDeviceFamily=Stratix4\nDeviceVendor=Altera\nEDIF=STRATIX4X\n"
                                    "[ClockCore]\nCycles=200\n");
  tmp.Write("q/bin/quartus_cmd", "");
  tmp.Write("q/bin/quartus_map", "");
  tmp.Write("q/readme.txt", "Quartus II Version 9.1 Build 222 10/21/2009 SJ Web Edition\n");
  tmp.Write("host/System/AlteraVersions.Txt", "9.1\n");
  const std::string opts = "--host-dir " + tmp.os("host") + " --plugin " + tmp.os("plug") + " --quartus-bin " +
                           tmp.os("q/bin");

  CommandRun r = S4host("config " + opts + " --json", /*passModule=*/false);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const auto j = nlohmann::json::parse(r.output);
  EXPECT_EQ(j["folders"]["system"]["osPath"], tmp.os("host/System/"));
  EXPECT_TRUE(j["folders"]["system"]["exists"].get<bool>());
  ASSERT_EQ(j["families"].size(), 77u);
  bool seen = false;
  for (const auto& f : j["families"]) {
    if (f["family"] == "Stratix4") {
      seen = true;
      EXPECT_EQ(f["edif"], "STRATIX4X");
      EXPECT_NE(f["source"].get<std::string>().find("VireoConfig.ini"), std::string::npos);
    } else {
      EXPECT_EQ(f["source"], "built-in");
    }
  }
  EXPECT_TRUE(seen);
  EXPECT_EQ(j["clockCycles"]["cycles"], 200);
  EXPECT_EQ(j["vendorTools"][0]["vendor"], "Altera");
  EXPECT_EQ(j["vendorTools"][0]["version"], "9.1");
  EXPECT_EQ(j["vendorTools"][0]["supported"], true);
  EXPECT_NE(j["vendorTools"][0]["tools"]["Quartus_Map"].get<std::string>().find("quartus_map"), std::string::npos);
  EXPECT_EQ(j["vendorTools"][0]["tools"]["Quartus_Fit"], "");
  EXPECT_EQ(j["driverVendorTools"]["descriptor"], "Altera Quartus II");
  EXPECT_EQ(j["driverVendorTools"]["upToDate"], true);

  // The text form; no sibling modules are written into a user's host folder.
  r = S4host("config " + opts, /*passModule=*/false);
  ASSERT_EQ(r.exitCode, 0) << r.output;
  for (const char* text : {"Device families (77 built in)", "Configuration clock cycles of Stratix4: 200",
                           "Altera   present: yes version: 9.1", "has VireoConfig.ini"})
    EXPECT_NE(r.output.find(text), std::string::npos) << text << "\n" << r.output;
  EXPECT_FALSE(std::filesystem::exists(tmp.path() / "host/System/DeviceManager.DLL"));

  // A version that is not listed, then no readme at all: reported, not a crash.
  tmp.Write("host/System/AlteraVersions.Txt", "10.0\n");
  r = S4host("config " + opts + " --json", /*passModule=*/false);
  EXPECT_EQ(nlohmann::json::parse(r.output)["vendorTools"][0]["supported"], false);
  std::filesystem::remove(tmp.path() / "q/readme.txt");
  r = S4host("config " + opts, /*passModule=*/false);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("Altera   error: cannot open"), std::string::npos) << r.output;
}

TEST(S4hostConfig, BadOptions) {
  for (const char* args : {"config --plugin /no/such/folder", "config --quartus-bin /no/such/folder"}) {
    const CommandRun r = S4host(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_NE(r.output.find("no such"), std::string::npos) << r.output;
  }
  const CommandRun help = S4host("config --help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("--quartus-bin"), std::string::npos);
}

}  // namespace
}  // namespace s4::test
