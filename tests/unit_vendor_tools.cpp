// Vendor tool discovery against the simulated host's vendor-tool manager and version files
// made in a temporary folder.
#include <gtest/gtest.h>

#include "flow/vendor_tools.h"
#include "platform/widestring.h"
#include "simhost/sim_host.h"
#include "tests/host_test_folder.h"

namespace s4 {
namespace {

using test::TempFolder;

class VendorTools : public ::testing::Test {
 protected:
  // A host with the FPGA-flow server whose manager knows a Quartus installation in the
  // temporary folder, and Actel's designer.
  sim::SimHost& Configure(bool fpgaFlow = true) {
    sim::HostDescription d;
    d.hostFolder = tmp.os("host");
    d.fpgaFlow = fpgaFlow;
    sim::VendorToolDescription altera;
    altera.vendor = u"Altera";
    altera.toolPaths = {{u"Quartus_Cmd", tmp.host("altera/91/quartus/bin/quartus_cmd.exe")},
                        {u"Quartus_Map", tmp.host("altera/91/quartus/bin/quartus_map.exe")}};
    sim::VendorToolDescription actel;
    actel.vendor = u"Actel";
    actel.toolPaths = {{u"designer", tmp.host("actel/bin/designer.exe")}};
    sim::VendorToolDescription xilinx;
    xilinx.vendor = u"Xilinx";
    xilinx.descriptor = u"Xilinx ISE";
    xilinx.version = u"13.2";
    xilinx.acceptable = false;
    d.vendorTools = {altera, actel, xilinx};
    return sim::SimHost::Configure(d);
  }
  TempFolder tmp;
};

TEST_F(VendorTools, QuartusVersionFromTheReadme) {
  Configure();
  tmp.Write("host/System/AlteraVersions.Txt", "8.0\r\n9.1\r\n11.0SP1\n");
  struct Case {
    const char* firstLine;
    bool found;
    const char* version;
  } cases[] = {
      {"Quartus II Version 9.1 Build 222 10/21/2009 SJ Web Edition", true, "9.1"},
      {"Quartus II Version 9.0 Build 132 02/25/2009 SJ Full Version", false, ""},  // not listed
      {"Quartus II Release 11.0sp1 Build 208", true, "11.0sp1"},  // listed ignoring case
      {"Quartus II Version 9.1", false, ""},                        // the version is the last word
      {"Quartus II Version    8.0   Build", true, "8.0"},
      {"Quartus II version 9.1 Build", false, ""},  // the words are matched exactly
      {"", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firstLine);
    tmp.Write("altera/91/quartus/readme.txt", std::string(c.firstLine) + "\r\nsecond line Version 8.0 x\r\n");
    const ToolVersion v = QuartusVersion();
    EXPECT_EQ(v.found, c.found);
    EXPECT_EQ(Utf16ToUtf8(v.version), c.version);
    EXPECT_EQ(VendorToolsUpToDateFor(u"altera"), c.found);
  }
  EXPECT_EQ(VendorToolPath(u"quartus_map"), tmp.host("altera/91/quartus/bin/quartus_map.exe"));
  EXPECT_EQ(VendorToolPath(u"Quartus_Fit"), u"");
  EXPECT_TRUE(VendorToolsPresentFor(u"ALTERA"));
  EXPECT_EQ(VendorToolsDescriptorFor(u"Altera"), u"Altera Quartus II");
  EXPECT_EQ(VendorToolVersion(u"altera"), u"");  // exact case only

  // Known program without a readme, or a readme without the list of versions: errors.
  std::filesystem::remove(tmp.os("host/System/AlteraVersions.Txt"));
  tmp.Write("altera/91/quartus/readme.txt", "Quartus II Version 9.1 Build 222\n");
  EXPECT_THROW(QuartusVersion(), VendorToolError);
  std::filesystem::remove(tmp.os("altera/91/quartus/readme.txt"));
  EXPECT_THROW(QuartusVersion(), VendorToolError);
}

TEST_F(VendorTools, VersionNumbers) {
  struct Case {
    const char16_t* text;
    double number;
  } cases[] = {{u"9.1", 9.1}, {u"10.0", 10}, {u"7.2", 7.2}, {u"11.0sp1", 11.01}, {u"12", 12}, {u".5", 0.05 * 10},
               {u"", 0}};
  for (const Case& c : cases) EXPECT_NEAR(VersionTextToNumber(c.text), c.number, 1e-9) << Utf16ToUtf8(c.text);
}

TEST_F(VendorTools, OtherVendorsAndNoManager) {
  Configure();
  // Actel: the adm folder beside the designer's folder, its "verinfo" and the version list.
  EXPECT_EQ(ActelAdmFolder(), u"");
  tmp.Write("actel/adm/verinfo", "8.6\n");
  EXPECT_EQ(ActelAdmFolder(), tmp.host("actel/bin") + u"\\..\\adm\\");
  EXPECT_THROW(ActelVersion(), VendorToolError);  // no ACTELVersions.Txt
  tmp.Write("host/System/ACTELVersions.Txt", "8.6\n");
  EXPECT_TRUE(ActelVersion().found);
  EXPECT_EQ(VendorToolVersion(u"Actel"), u"8.6");
  EXPECT_TRUE(VendorToolsPresentFor(u"actel"));
  EXPECT_EQ(VendorToolsDescriptorFor(u"Actel"), u"ACTEL LiberoIDE");

  // Xilinx and Lattice come from the manager alone.
  EXPECT_TRUE(VendorToolsPresentFor(u"Xilinx"));
  EXPECT_FALSE(VendorToolsUpToDateFor(u"Xilinx"));
  EXPECT_EQ(VendorToolVersion(u"Xilinx"), u"13.2");
  EXPECT_EQ(VendorToolsDescriptorFor(u"xilinx"), u"Xilinx ISE");
  EXPECT_FALSE(VendorToolsPresentFor(u"Lattice"));

  // A vendor without known tools: present, up to date, no descriptor.
  EXPECT_TRUE(VendorToolsPresentFor(u"Sharp"));
  EXPECT_TRUE(VendorToolsUpToDateFor(u"Sharp"));
  EXPECT_EQ(VendorToolsDescriptorFor(u"Sharp"), u"");

  // Without the FPGA-flow server nothing is found, and the version number is the "newer than
  // any" value.
  Configure(false);
  EXPECT_EQ(VendorToolPath(u"Quartus_Cmd"), u"");
  EXPECT_FALSE(QuartusVersion().found);
  EXPECT_EQ(QuartusVersionNumber(), 100000000.0);
  EXPECT_FALSE(VendorToolsPresentFor(u"Altera"));
  EXPECT_FALSE(VendorToolsPresentFor(u"Xilinx"));
  EXPECT_EQ(VendorToolsDescriptorFor(u"Lattice"), u"");
  EXPECT_EQ(VendorTableName(2), u"Actel");
}

}  // namespace
}  // namespace s4
