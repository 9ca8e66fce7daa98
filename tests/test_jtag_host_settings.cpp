// JTAG programming with the settings the host supplies: the device family's "ND_" properties
// from the host's device manager and the configuration clock cycles from "VireoConfig.ini".
#include "tests/host_test_folder.h"
#include "tests/jtag_fixture.h"

namespace s4::test {
namespace {

TEST(JtagHostSettings, FamilyPropertiesAndConfiguredClockCycles) {
  TempFolder tmp;
  tmp.Write("plugA/VireoConfig.ini", "[General]\nDeviceFamily=Cyclone4E\n[ClockCore]\nCycles=50\n");
  tmp.Write("plugB/VireoConfig.ini", "[General]\nDeviceFamily=stratix4\n[ClockCore]\nCycles=200\n");
  sim::HostDescription d;
  d.hostFolder = tmp.os("host");
  d.plugins = {{tmp.host("plugA")}, {tmp.host("plugB")}};
  d.families = {{u"Stratix4",
                 {{u"ND_ActiveDisengage", Variant(true)}, {u"ND_ProgramBitsToIgnore", Variant(std::int32_t(2))}}}};
  sim::SimHost::Configure(d);

  const std::vector<std::uint8_t> file = {0x01, 0x80, 0xA5, 0x3C};
  const TempFile rbf(file);
  JtagBench bench(0, "EP4SGX70D");
  constexpr std::size_t kCycles = 200;
  bench.fpga->SetConfigurationClocks(kCycles);
  const CallResult r = bench.Call(dispid::VireoDriver::ProgramDevice, {rbf.HostPath()});
  ASSERT_TRUE(r.ok()) << HresultName(r.hr);
  EXPECT_EQ(r.value.raw().lVal, 32);  // the whole file counts
  const sim::BitRecord& got = bench.fpga->Received();
  // The clocks, the last two bytes only, the 128 trailing ones and the bit leaving Shift-DR.
  ASSERT_EQ(got.size(), kCycles + 16 + 128 + 1) << got.Text(0, got.size());
  EXPECT_TRUE(got.AllAt(0, kCycles, true));
  EXPECT_TRUE(got.HoldsBytesAt(kCycles, {file[2], file[3]}));
  EXPECT_EQ(bench.fpga->LoadCount(sim::family_ir::kActiveDisengage), 1);
}

}  // namespace
}  // namespace s4::test

namespace s4::test {
namespace {

// The download shortcut: reset, program the second argument's file, answer whether the device
// is configured afterwards.
TEST(JtagHostSettings, DownloadShortcut) {
  sim::SimHost::Configure({});
  const std::int32_t kind = KindOfBaseName(u"EP4SE230");
  if (kind < 0) GTEST_SKIP() << "the device table has no EP4SE230 yet";
  const std::vector<std::uint8_t> file(64, 0x5A);
  const TempFile rbf(file);
  JtagBench bench(kind, "EP4SE230");
  bench.fpga->SetConfigurationClocks(175);
  bench.fpga->SetExpectedImage(file);
  bench.fpga->SetConfDone(true);
  CallResult r = bench.Call(dispid::VireoDriver::EPM_Download, {Variant(u"unused"), rbf.HostPath(), Variant(u"")});
  ASSERT_TRUE(r.ok()) << HresultName(r.hr);
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_TRUE);
  EXPECT_TRUE(bench.fpga->Received().HoldsBytesAt(175, file));
  // A file the device does not accept leaves it unconfigured: False.
  const TempFile wrong(std::vector<std::uint8_t>(64, 0x00));
  r = bench.Call(dispid::VireoDriver::EPM_Download, {Variant(u""), wrong.HostPath(), Variant(u"")});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_FALSE);
  // Without a host device the reset fails and nothing is programmed.
  bench.Attach(nullptr);
  r = bench.Call(dispid::VireoDriver::EPM_Download, {Variant(u""), rbf.HostPath(), Variant(u"")});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_FALSE);
}

}  // namespace
}  // namespace s4::test
