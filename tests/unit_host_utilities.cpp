// Host utilities against the simulated host: ini files, the device-family dictionary, folders,
// sibling modules and ports, status text and progress.
#include <gtest/gtest.h>

#include "host/device_families.h"
#include "host/host_dispids.h"
#include "host/host_services.h"
#include "host/host_utilities.h"
#include "host/ini_file.h"
#include "platform/files.h"
#include "platform/widestring.h"
#include "simhost/sim_host.h"
#include "tests/host_test_folder.h"

namespace s4 {
namespace {

using test::TempFolder;
namespace hid = s4::hostid;

TEST(IniFile, SectionsKeysCommentsAndBrokenLines) {
  const IniFile ini = IniFile::Parse(
      "\xEF\xBB\xBF; comment\r\n"
      "[General]\r\n"
      "DeviceFamily = Stratix4 \r\n"
      "# another comment\n"
      "no equals sign here\n"
      "=value without key\n"
      "DeviceVendor=Altera=Intel\n"
      "devicefamily=second is ignored\n"
      "[Broken\n"
      "Hidden=1\n"
      "[ clockcore ]\n"
      "Cycles=$10\n"
      "Bad=12x\n"
      "[GENERAL]\n"
      "EDIF=STRATIX4\n");
  EXPECT_EQ(ini.ReadString(u"general", u"DEVICEFAMILY", u"-"), u"Stratix4");
  EXPECT_EQ(ini.ReadString(u"General", u"DeviceVendor", u"-"), u"Altera=Intel");
  EXPECT_EQ(ini.ReadString(u"General", u"EDIF", u"-"), u"STRATIX4");  // a repeated section adds to the first
  EXPECT_EQ(ini.ReadString(u"General", u"Missing", u"-"), u"-");
  EXPECT_FALSE(ini.HasKey(u"Broken", u"Hidden"));
  EXPECT_FALSE(ini.HasKey(u"General", u"Hidden"));
  EXPECT_EQ(ini.ReadInteger(u"ClockCore", u"Cycles", -1), 16);
  EXPECT_EQ(ini.ReadInteger(u"ClockCore", u"Bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger(u"ClockCore", u"Absent", -1), -1);
  EXPECT_EQ(IniFile::Load(u"\\no\\such\\file.ini").ReadString(u"A", u"B", u"d"), u"d");
}

// Each test configures its own simulated host with a host folder and plug-in folders made in
// a temporary folder.
class HostUtilities : public ::testing::Test {
 protected:
  sim::HostDescription Describe() {
    sim::HostDescription d;
    d.hostFolder = tmp.os("host");
    d.plugins = {{tmp.host("plugA/")}, {tmp.host("plugB/"), 1}, {tmp.host("plugC")}};
    return d;
  }
  TempFolder tmp;
};

TEST_F(HostUtilities, FoldersAndPluginFolders) {
  sim::SimHost::Configure([&] {
    auto d = Describe();
    d.rootFolder = u"c:\\Program Files\\Host";
    d.constraintFolder = u"C:\\Host\\Constraints\\";
    return d;
  }());
  std::vector<std::u16string> seen;
  host::ForEachPluginFolder([&](const std::u16string& f) {
    seen.push_back(f);
    return true;
  });
  // The excluded item is skipped and every folder ends in "\".
  EXPECT_EQ(seen, (std::vector<std::u16string>{tmp.host("plugA/"), tmp.host("plugC/")}));
  seen.clear();
  host::ForEachPluginFolder([&](const std::u16string& f) {
    seen.push_back(f);
    return false;
  });
  EXPECT_EQ(seen.size(), 1u);

  EXPECT_EQ(host::SystemFolder(), host::UpperCase(tmp.host("host/")) + u"System\\");
  EXPECT_EQ(host::EDIFFolder(), u"C:\\PROGRAM FILES\\HOST\\EDIF\\");
  EXPECT_EQ(host::ConstraintFolder(), u"C:\\Host\\Constraints\\");
  EXPECT_EQ(host::TempFolder().back(), u'\\');

  // The upper-case System folder still names the folder on a case-sensitive file system.
  tmp.Write("host/System/AlteraVersions.Txt", "9.1\n");
  EXPECT_TRUE(FileExists(host::SystemFolder() + u"ALTERAVERSIONS.TXT"));

  const std::u16string temp = host::TempFileName();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(ExtractFileName(temp).substr(0, 3), u"Pro");
  EXPECT_TRUE(FileExists(temp));
  DeleteFileAt(temp);

  // The embedded-extension folder: the System folder when it holds the toolchain manager,
  // else the first plug-in folder that does.
  EXPECT_EQ(host::EmbeddedExtensionFolder(), u"");
  tmp.Write("plugC/ToolchainManager.DLL", "");
  EXPECT_EQ(host::EmbeddedExtensionFolder(), tmp.host("plugC/"));
  tmp.Write("host/System/ToolchainManager.DLL", "");
  EXPECT_EQ(host::EmbeddedExtensionFolder(), host::SystemFolder());
}

// The host may write its constraint folder with or without the final "\"; file names are
// appended to it, so it always ends in one (and no answer stays no folder).
TEST_F(HostUtilities, ConstraintFolderEndsInABackslash) {
  const struct { const char16_t* host; const char16_t* folder; } cases[] = {
      {u"C:\\Host\\Constraints\\", u"C:\\Host\\Constraints\\"},
      {u"C:\\Host\\Constraints", u"C:\\Host\\Constraints\\"},
      {u"\\\\server\\share", u"\\\\server\\share\\"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    auto d = Describe();
    d.constraintFolder = c.host;
    sim::SimHost::Configure(d);
    EXPECT_EQ(host::ConstraintFolder(), c.folder) << Utf16ToUtf8(c.host);
  }
}

TEST_F(HostUtilities, DeviceFamilyDictionaryAndClockCycles) {
  tmp.Write("plugA/VireoConfig.ini", "[General]\nDeviceFamily=Stratix4\nDeviceVendor=FirstVendor\nEDIF=S4A\n"
                                     "[ClockCore]\nCycles=-5\n");
  tmp.Write("plugB/VireoConfig.ini", "[General]\nDeviceFamily=Stratix4\nDeviceVendor=Excluded\nEDIF=X\n");
  tmp.Write("plugC/VireoConfig.ini", "[General]\nDeviceFamily=STRATIX4\nDeviceVendor=NoEdif\n"
                                     "[ClockCore]\nCycles=200\n");
  tmp.Write("plugD/VireoConfig.ini", "[General]\nDeviceFamily=Stratix4\nDeviceVendor=LastVendor\nEDIF=S4D\n");
  tmp.Write("plugE/VireoConfig.ini", "[General]\nDeviceFamily=MyFamily\nDeviceVendor=Me\nEDIF=MINE\n");
  auto d = Describe();
  d.plugins.push_back({tmp.host("plugD")});
  d.plugins.push_back({tmp.host("plugE")});
  sim::SimHost::Configure(d);

  // The dictionary is filled once, at the first query, from the host as it is then.
  EXPECT_EQ(VendorOfFamily(u"Stratix4"), u"LastVendor");  // later folders override earlier ones
  EXPECT_EQ(VendorOfFamily(u"stratix4"), u"");            // keys compare exactly
  EXPECT_EQ(VendorOfFamily(u"STRATIX4"), u"");            // plugC had no EDIF and added nothing
  EXPECT_EQ(VendorOfFamily(u"MyFamily"), u"Me");
  EXPECT_EQ(VendorOfFamily(u"Cyclone4E"), u"Altera");
  EXPECT_EQ(VendorOfFamily(u"STM32"), u"STMicroelectronics");

  const auto rows = DeviceFamilyRows();
  ASSERT_EQ(rows.size(), BuiltInFamilyCount() + 1);
  EXPECT_EQ(rows.front().key, u"ProASICPlus");
  EXPECT_EQ(rows.front().info.EDIF, u"PROASICPLUS");
  auto find = [&](std::u16string_view key) {
    for (const auto& r : rows)
      if (r.key == key) return r;
    return DeviceFamilyRow{};
  };
  EXPECT_EQ(find(u"IGLOOnano").info.EDIF, u"IGLOOnano");
  EXPECT_EQ(find(u"ispMACH4000Z").info.EDIF, u"ispMACH4000Z");
  EXPECT_EQ(find(u"XCF").info.EDIF, u"");
  EXPECT_EQ(find(u"Stratix4").info.EDIF, u"S4D");
  EXPECT_EQ(find(u"Stratix4").origin, tmp.host("plugD/") + u"VireoConfig.ini");
  EXPECT_EQ(find(u"Stratix2").origin, u"");
  EXPECT_EQ(rows.back().key, u"MyFamily");

  // Clock cycles: the first folder naming the family (ignoring case) with a value of 0 or more.
  std::u16string origin;
  EXPECT_EQ(ConfiguredClockCycles(u"Stratix4", &origin), 200);
  EXPECT_EQ(origin, tmp.host("plugC/") + u"VireoConfig.ini");
  EXPECT_EQ(ConfiguredClockCycles(u"Cyclone3"), -1);
}

TEST_F(HostUtilities, SiblingModulesFamiliesAndPorts) {
  auto d = Describe();
  d.jtagPorts = 2;
  d.families = {{u"Stratix4", {{u"ND_ActiveDisengage", Variant(true)}, {u"ND_ProgramBitsToIgnore", Variant(std::int32_t(2))}}}};
  auto& host = sim::SimHost::Configure(d);

  ASSERT_TRUE(host::DeviceManager());
  host::Object family = host::DeviceFamily(u"Stratix4");
  ASSERT_TRUE(family);
  EXPECT_TRUE(host::IDispDeviceFamily::GetPropertyAsBoolean(family, u"ND_ActiveDisengage"));
  EXPECT_TRUE(host::IDispDeviceFamily::HasProperty(family, u"ND_ProgramBitsToIgnore"));
  EXPECT_EQ(host::IDispDeviceFamily::GetPropertyAsInteger(family, u"ND_ProgramBitsToIgnore"), 2);
  EXPECT_FALSE(host::DeviceFamily(u"Cyclone9"));

  EXPECT_EQ(host::JTagPortCount(), 2);
  EXPECT_EQ(host::JTagPortPosition(host.jtagPorts[1]->dispatch()), 1);
  auto stranger = sim::SimObject::Make("stranger");
  EXPECT_EQ(host::JTagPortPosition(stranger->dispatch()), -1);
  EXPECT_EQ(host::JTagPortPosition(nullptr), -1);
  EXPECT_FALSE(host::JTagPort(2));

  // Without a device manager the answers are empty, not errors.
  d.deviceManager = false;
  sim::SimHost::Configure(d);
  EXPECT_FALSE(host::DeviceManager());
  EXPECT_FALSE(host::DeviceFamily(u"Stratix4"));
  // A module that is nowhere: no entry.
  EXPECT_EQ(host::HostModuleEntry(u"NoSuchModule.DLL", "GetAnything"), nullptr);
}

TEST_F(HostUtilities, WorkspaceOnlyWhenTheHostHasIt) {
  sim::SimHost::Configure(Describe());
  EXPECT_FALSE(host::Workspace());
  auto d = Describe();
  d.workspace = true;
  d.projects = {{u"C:\\Designs\\Top.PrjFpg", {{u"C:\\Designs\\top.vhd", u"VHDL", true}, {u"C:\\Designs\\pins.Constraint"}}}};
  auto& host = sim::SimHost::Configure(d);
  host::Object ws = host::Workspace();
  ASSERT_TRUE(ws);
  ASSERT_EQ(host::IDispWorkspace::GetProjectCount(ws), 1);
  host::Object project = host::IDispWorkspace::GetProject(ws, 0);
  EXPECT_EQ(host::IDispProject::GetFileName(project), u"Top.PrjFpg");
  ASSERT_EQ(host::IDispProject::GetDocumentCount(project), 2);
  host::Object doc = host::IDispProject::GetDocument(project, 0);
  EXPECT_EQ(host::IDispDocument::GetFileName(doc), u"top.vhd");
  EXPECT_TRUE(host::IDispDocument::GetCompiled(doc));
  EXPECT_EQ(host::IDispDocument::GetProject(doc).get(), project.get());
  EXPECT_EQ(host::IDispWorkspace::GetDocumentByPath(ws, u"c:\\designs\\PINS.constraint").get(),
            host::IDispProject::GetDocument(project, 1).get());
  EXPECT_THROW(host::IDispProject::GetDocument(project, 2), host::HostCallError);

  host::IDispWorkspace::WriteOutputLine(ws, u"Downloading via JTAG", false, false);
  host::Object messages = host::IDispWorkspace::GetMessagesManager(ws);
  host::IDispMessagesManager::AddMessage(messages, u"ProcessFlowInfo", u"text", u"", u"", u"", u"", 71, false, false,
                                         false);
  EXPECT_EQ(host.OutputLines(), std::vector<std::u16string>{u"Downloading via JTAG"});
  ASSERT_EQ(host.messagesManager->Calls().size(), 1u);
  EXPECT_EQ(host.messagesManager->Calls()[0].Int(6), 71);
}

TEST_F(HostUtilities, OtherSiblingModulesAndTheVirtualFileSystem) {
  auto& host = sim::SimHost::Configure(Describe());
  // The integrated library through the module loader; the FPGA flow's workbench once its
  // server was started; the VHDL synthesizer likewise.
  EXPECT_EQ(host::ModelTypeManager().get(), host.modelTypeManager->dispatch());
  EXPECT_EQ(host::IntegratedLibraryManager().get(), host.libraryManager->dispatch());
  EXPECT_EQ(host::VireoWorkbench().get(), host.vireoWorkbench->dispatch());
  EXPECT_EQ(host.client->CallsTo(hid::IDispClient::StartServer).at(0).Text(0), u"FPGAFlow");
  EXPECT_EQ(host::VHDLSynthesizer().get(), host.vhdlSynthesizer->dispatch());

  EXPECT_EQ(host::ExpandRelativePath(u"C:\\Designs\\Top\\", u"..\\lib\\a.vhd"), u"C:\\Designs\\lib\\a.vhd");
  EXPECT_EQ(host::ExpandRelativePath(u"C:\\Designs", u".\\a.vhd"), u"C:\\Designs\\a.vhd");
  EXPECT_EQ(host::ExpandRelativePath(u"C:\\Designs", u"D:\\x.vhd"), u"D:\\x.vhd");
  const std::u16string longName(5000, u'x');
  EXPECT_EQ(host::ExpandRelativePath(u"C:\\", longName).size(), 4095u);
}

TEST_F(HostUtilities, ModuleLoaderSearchesThePluginFoldersTopLevelOnly) {
  // A module that is not in the System folder: the first plug-in folder holding it at its top
  // level, matched ignoring case, excluded items skipped.
  sim::SimHost::Configure(Describe());
  const std::string dm = ResolveOsPath(host::SystemFolder() + u"DeviceManager.DLL");
  ASSERT_TRUE(std::filesystem::exists(dm));
  tmp.Write("plugA/deep/PluginOnly.DLL", "");  // below the top level
  std::filesystem::create_directories(tmp.path() / "plugB");
  std::filesystem::copy_file(dm, tmp.path() / "plugB/PluginOnly.DLL");  // an excluded item
  EXPECT_EQ(host::HostModuleEntry(u"PluginOnly.DLL", "GetDeviceManager"), nullptr);
  std::filesystem::create_directories(tmp.path() / "plugC");
  std::filesystem::copy_file(dm, tmp.path() / "plugC/pluginonly.dll");
  EXPECT_NE(host::HostModuleEntry(u"PluginOnly.DLL", "GetDeviceManager"), nullptr);
  EXPECT_EQ(host::HostModuleEntry(u"PluginOnly.DLL", "NoSuchEntry"), nullptr);
}

TEST_F(HostUtilities, StatusTextAndProgress) {
  auto& host = sim::SimHost::Configure(Describe());
  auto codes = [&] {
    std::vector<std::int32_t> out;
    for (const auto& c : host.guiManager->CallsTo(hid::IDispGUIManager::StatusBarSetState)) out.push_back(c.Int(0));
    host.guiManager->ClearCalls();
    return out;
  };
  host::SetStatusText(u"Compiling");
  EXPECT_EQ(host.guiManager->Calls().at(0).Text(1), u"Compiling");
  host::ClearStatusText();
  EXPECT_EQ(codes(), (std::vector<std::int32_t>{2, -1}));

  // Four steps: 25 host steps each.
  host::BeginProgress(u"Programming Device Via JTAG...", 4);
  EXPECT_EQ(host.guiManager->Calls().at(1).Text(1), u"Programming Device Via JTAG...");
  EXPECT_EQ(codes(), (std::vector<std::int32_t>{-3, -5}));
  for (int i = 0; i < 4; ++i) {
    host::StepProgress();
    EXPECT_EQ(codes(), std::vector<std::int32_t>(25, -7));
  }
  host::StepProgress();  // past the total: capped at 100, nothing more
  EXPECT_EQ(codes(), std::vector<std::int32_t>{});
  host::EndProgress();
  EXPECT_EQ(codes(), (std::vector<std::int32_t>{-6, -4}));
  // No progress running: step and end do nothing.
  host::StepProgress();
  host::EndProgress();
  EXPECT_EQ(codes(), std::vector<std::int32_t>{});

  // No steps announced: the first step jumps to 100. Three steps: 33, 34, 33 (rounding).
  host::BeginProgress(u"x", 0);
  codes();
  host::StepProgress();
  EXPECT_EQ(codes().size(), 100u);
  host::EndProgress();
  host::BeginProgress(u"y", 3);
  codes();
  std::vector<std::size_t> sizes;
  for (int i = 0; i < 3; ++i) {
    host::StepProgress();
    sizes.push_back(codes().size());
  }
  host::EndProgress();
  EXPECT_EQ(sizes, (std::vector<std::size_t>{33, 34, 33}));
}

TEST(HostSmallUtilities, TextHelpers) {
  std::int32_t v = 5;
  EXPECT_TRUE(host::TextToInteger(u"", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(host::TextToInteger(u"-17", v));
  EXPECT_EQ(v, -17);
  EXPECT_FALSE(host::TextToInteger(u"17a", v));
  EXPECT_EQ(v, -17);
  EXPECT_EQ(host::PadRight(u"ab", 4), u"ab  ");
  EXPECT_EQ(host::PadLeft(u"ab", 4), u"  ab");
  EXPECT_EQ(host::PadLeft(u"abcde", 4), u"abcde");
  EXPECT_EQ(host::BackslashesToSlashes(u"C:\\a\\b"), u"C:/a/b");
  EXPECT_EQ(ExtractFileName(u"C:\\a\\b.bsd"), u"b.bsd");
  EXPECT_EQ(ExtractFileName(u"C:\\a\\"), u"");
  EXPECT_EQ(ExtractFilePath(u"C:\\a\\b.bsd"), u"C:\\a\\");
  EXPECT_EQ(ChangeFileExt(u"C:\\a.b\\c.bsd", u".Zip"), u"C:\\a.b\\c.Zip");
  EXPECT_EQ(ChangeFileExt(u"C:\\a.b\\c", u".Zip"), u"C:\\a.b\\c.Zip");
}

}  // namespace
}  // namespace s4
