// Base-driver services that rest on the host, through Invoke against the simulated host.
#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "simhost/sim_host.h"
#include "tests/host_test_folder.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

namespace did = s4::dispid::VireoDriver;

std::string CallText(IDispatch* driver, DISPID id, std::initializer_list<Variant> args = {}) {
  auto r = CallDispatch(driver, id, args);
  EXPECT_EQ(r.hr, S_OK) << id;
  return Text(r.value);
}

// The dictionary is filled once per process, at the first vendor query; these two tests rely
// on ctest running each test in a process of its own.
TEST(DriverServices, VendorNameComesFromTheFamilyDictionary) {
  TempFolder tmp;
  tmp.Write("plug/VireoConfig.ini", "[General]\nDeviceFamily=Stratix4\nDeviceVendor=Renamed\nEDIF=STRATIX4\n");
  sim::HostDescription d;
  d.plugins = {{tmp.host("plug")}};
  sim::SimHost::Configure(d);
  auto driver = Driver(0);
  EXPECT_EQ(CallText(driver.get(), s4::dispid::DeviceInformation::GetVendorName), "Renamed");
}

TEST(DriverServices, VendorNameBuiltIn) {
  sim::SimHost::Configure({});
  EXPECT_EQ(CallText(Driver(3).get(), s4::dispid::DeviceInformation::GetVendorName), "Altera");
}

}  // namespace
}  // namespace s4::test
