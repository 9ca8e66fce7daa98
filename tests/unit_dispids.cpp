// The DISPID lists: unique within each interface, every listed operation answered by the
// class that serves the interface, and a few golden names.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "driver/abstract_device_pin.h"
#include "driver/abstract_vireo_driver.h"
#include "driver/dispids.h"

namespace s4 {
namespace {

TEST(Dispids, UniqueWithinEachInterface) {
  std::map<std::string_view, std::set<DISPID>> seen;
  for (const auto& n : dispid::All())
    EXPECT_TRUE(seen[n.interfaceName].insert(n.id).second) << n.interfaceName << " lists " << n.id << " twice";
}

TEST(Dispids, EveryListedOperationIsInItsClassTable) {
  const std::map<std::string_view, const TAbstractSupportService::DispatchTableType*> tables = {
      {"SupportService", &TAbstractSupportService::ClassTable()},
      {"DeviceInformation", &TAbstractDeviceInformation::ClassTable()},
      {"VireoDriver", &TAbstractVireoDriver::ClassTable()},
      {"DevicePin", &TAbstractDevicePin::ClassTable()},
      {"DeviceIOStandard", &TAbstractDeviceIOStandard::ClassTable()},
  };
  for (const auto& n : dispid::All()) {
    auto it = tables.find(n.interfaceName);
    if (it == tables.end()) continue;  // interfaces served by classes elsewhere test themselves
    EXPECT_NE(it->second->Find(n.id), nullptr) << n.interfaceName << "." << n.name << " (" << n.id << ")";
  }
  // The driver answers the device-information and support-service ids too.
  EXPECT_EQ(TAbstractVireoDriver::ClassTable().entries().size(), 1u + 46u + 78u);
}

TEST(Dispids, GoldenNames) {
  EXPECT_EQ(dispid::DeviceInformation::GetIdCode, 503379);
  EXPECT_EQ(dispid::DeviceInformation::GetDeviceParameter, 503424);
  EXPECT_EQ(dispid::VireoDriver::GetVireoDevice, 503753);
  EXPECT_EQ(dispid::VireoDriver::SetEmbeddedConstraintFile, 503822);
  EXPECT_EQ(dispid::VireoDriver::GetMemorySpaceLength, 508554);
  EXPECT_EQ(dispid::VireoDriver::CustomCoreGenerator, 509981);
  EXPECT_EQ(dispid::DevicePin::GetIsNegPinOfDiffPair, 503549);
  EXPECT_EQ(dispid::DeviceIOStandard::GetDriveStrength, 503524);
  EXPECT_EQ(dispid::SupportService::SupportsService, 1023);
}

}  // namespace
}  // namespace s4
