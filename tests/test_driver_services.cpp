// Base-driver services that rest on the host, through Invoke against the simulated host.
#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "simhost/sim_host.h"
#include "tests/host_test_folder.h"
#include "platform/module.h"
#include "tests/module_fixture.h"

#include <filesystem>

namespace s4::test {
namespace {

namespace did = s4::dispid::VireoDriver;

std::string CallText(IDispatch* driver, DISPID id, std::initializer_list<Variant> args = {}) {
  auto r = CallDispatch(driver, id, args);
  EXPECT_EQ(r.hr, S_OK) << id;
  return Text(r.value);
}

// The dictionary is filled once per module, at the first vendor query; a fresh copy of the
// module shows the renaming whatever the other tests of this program asked before.
TEST(DriverServices, VendorNameComesFromTheFamilyDictionary) {
  TempFolder tmp;
  tmp.Write("plug/VireoConfig.ini", "[General]\nDeviceFamily=Stratix4\nDeviceVendor=Renamed\nEDIF=STRATIX4\n");
  sim::HostDescription d;
  d.plugins = {{tmp.host("plug")}};
  sim::SimHost::Configure(d);
  const std::string copy = tmp.os("Device_Stratix4.VIR");
  std::filesystem::copy_file(S4_MODULE_PATH, copy);
  std::string error;
  auto fresh = sim::PluginModule::Load(copy, &error);
  ASSERT_TRUE(fresh) << error;
  EXPECT_EQ(CallText(fresh->Driver(0).get(), s4::dispid::DeviceInformation::GetVendorName), "Renamed");
}

TEST(DriverServices, VendorNameBuiltIn) {
  sim::SimHost::Configure({});
  EXPECT_EQ(CallText(Driver(3).get(), s4::dispid::DeviceInformation::GetVendorName), "Altera");
}

TEST(DriverServices, DevicePictureHandle) {
  TempFolder tmp;
  sim::HostDescription d;
  d.hostFolder = tmp.os("host");
  sim::SimHost::Configure(d);
  auto driver = Driver(1);
  // No generic picture: 0, and the next call tries again.
  auto r = CallDispatch(driver.get(), did::GetBitmapHandle);
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.raw().lVal, 0);
  // A minimal 24-bit BMP of 1 x 1 pixel.
  std::string bmp = "BM";
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put32(14 + 40 + 4), put32(0), put32(14 + 40), put32(40), put32(1), put32(1);
  bmp += std::string("\x01\x00\x18\x00", 4);
  for (int i = 0; i < 6; ++i) put32(0);
  put32(0x00FF00FF);
  tmp.Write("host/System/Generic_Hard_Device.bmp", bmp);
  r = CallDispatch(driver.get(), did::GetBitmapHandle);
  ASSERT_EQ(r.hr, S_OK);
  const LONG handle = r.value.raw().lVal;
  EXPECT_NE(handle, 0);
  // Built once and kept.
  tmp.Write("host/System/Generic_Hard_Device.bmp", "broken now");
  EXPECT_EQ(CallDispatch(driver.get(), did::GetBitmapHandle).value.raw().lVal, handle);
  // A broken generic picture on a driver that has none yet is an error.
  EXPECT_EQ(CallDispatch(Driver(2).get(), did::GetBitmapHandle).hr, E_UNEXPECTED);
}

TEST(DriverServices, EmbeddedConstraintFileCandidates) {
  TempFolder tmp;
  sim::HostDescription d;
  d.hostFolder = tmp.os("host");
  d.constraintFolder = tmp.host("constraints/");
  d.plugins = {{tmp.host("ext/")}};
  sim::SimHost::Configure(d);
  auto driver = Driver(0);
  namespace info = s4::dispid::DeviceInformation;
  const std::string device = CallText(driver.get(), info::GetDeviceName);
  const std::string base = CallText(driver.get(), info::GetBaseName);
  const std::string family = CallText(driver.get(), info::GetFamilyName);
  ASSERT_FALSE(device.empty());

  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile), "");  // none anywhere
  // The embedded extension's folder (a plug-in folder holding the toolchain manager).
  tmp.Write("ext/ToolchainManager.DLL", "");
  tmp.Write("ext/Library/Embedded/" + family + ".Constraint", "");
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile),
            Utf16ToUtf8(tmp.host("ext/") + u"Library\\Embedded\\") + family + ".Constraint");
  // The host's constraint folder comes before it, and the base name before the family.
  tmp.Write("constraints/" + family + ".Constraint", "");
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile),
            Utf16ToUtf8(tmp.host("constraints/")) + family + ".Constraint");
  tmp.Write("ext/Library/Embedded/" + base + ".Constraint", "");
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile),
            Utf16ToUtf8(tmp.host("ext/") + u"Library\\Embedded\\") + base + ".Constraint");
  tmp.Write("constraints/" + device + ".Constraint", "");
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile),
            Utf16ToUtf8(tmp.host("constraints/")) + device + ".Constraint");
  // A custom file that exists wins; one that does not is passed over.
  const std::string custom = tmp.Write("my.Constraint", "");
  ASSERT_EQ(CallDispatch(driver.get(), did::SetEmbeddedConstraintFile, {Variant(std::u16string_view(ToHostPath(custom)))}).hr, S_OK);
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile), Utf16ToUtf8(ToHostPath(custom)));
  CallDispatch(driver.get(), did::SetEmbeddedConstraintFile, {Variant(u"NoSuch.Constraint")});
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile),
            Utf16ToUtf8(tmp.host("constraints/")) + device + ".Constraint");
}

TEST(DriverServices, ConstraintFolderWithoutTheFinalBackslash) {
  TempFolder tmp;
  sim::HostDescription d;
  d.hostFolder = tmp.os("host");
  std::u16string folder = tmp.host("constraints/");
  folder.pop_back();  // as a host may write it
  d.constraintFolder = folder;
  sim::SimHost::Configure(d);
  auto driver = Driver(0);
  const std::string device = CallText(driver.get(), s4::dispid::DeviceInformation::GetDeviceName);
  tmp.Write("constraints/" + device + ".Constraint", "");
  EXPECT_EQ(CallText(driver.get(), did::GetEmbeddedConstraintFile),
            Utf16ToUtf8(tmp.host("constraints/")) + device + ".Constraint");
}

TEST(DriverServices, VendorToolsAndLibraryFolder) {
  TempFolder tmp;
  sim::HostDescription d;
  d.hostFolder = tmp.os("host");
  d.fpgaFlow = true;
  sim::VendorToolDescription altera;
  altera.vendor = u"Altera";
  altera.toolPaths = {{u"Quartus_Cmd", tmp.host("q/bin/quartus_cmd.exe")}};
  d.vendorTools = {altera};
  sim::SimHost::Configure(d);
  tmp.Write("q/readme.txt", "Quartus II Version 9.1 Build 222 10/21/2009 SJ Web Edition\n");
  tmp.Write("host/System/AlteraVersions.Txt", "9.1\n");
  auto driver = Driver(0);
  EXPECT_EQ(CallText(driver.get(), did::VendorToolsDescriptor), "Altera Quartus II");
  EXPECT_EQ(CallDispatch(driver.get(), did::VendorToolsPresent).value.raw().boolVal, VARIANT_TRUE);
  EXPECT_EQ(CallDispatch(driver.get(), did::VendorToolsUpToDate).value.raw().boolVal, VARIANT_TRUE);
  tmp.Write("host/System/AlteraVersions.Txt", "10.0\n");
  EXPECT_EQ(CallDispatch(driver.get(), did::VendorToolsUpToDate).value.raw().boolVal, VARIANT_FALSE);
  // A missing readme for a known program is an error of the query.
  std::filesystem::remove(tmp.os("q/readme.txt"));
  EXPECT_EQ(CallDispatch(driver.get(), did::VendorToolsUpToDate).hr, E_UNEXPECTED);

  const std::string library = CallText(driver.get(), did::GetFolder_Library);
  // The module's folder as the system names the loaded module (on Windows a full path with
  // its drive, whatever path the test loaded it by).
  const std::string loadedAs = LoadedModuleOsPath(u"Device_Stratix4.VIR");
  EXPECT_EQ(library, Utf16ToUtf8(ToHostPath(std::filesystem::path(loadedAs).parent_path().string())) + "\\Library\\");
}

}  // namespace
}  // namespace s4::test
