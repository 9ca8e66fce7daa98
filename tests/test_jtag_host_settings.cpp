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
