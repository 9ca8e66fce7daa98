// The DISPID lists: unique within each interface, every listed operation answered by the
// class that serves the interface, a few golden names, and the whole lists with every
// operation's signature against the table typed from the host's interfaces
// (tests/golden/dispids.tsv).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "boundaryscan/abstract_bsdl.h"
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

struct GoldenRow {
  std::string interfaceName;
  DISPID id = 0;
  std::string name;
  std::string signature;  // as the dispatch table spells it: "Result(Argument,...)"
  int line = 0;
};

// The host's tables distinguish the 32-bit LongBool from the 8-bit Boolean; both are one
// VT_BOOL at the boundary and one C++ bool in the module.
std::string TableWord(const std::string& w) { return w == "LongBool" ? "Boolean" : w; }

std::vector<GoldenRow> LoadGolden() {
  std::ifstream in(std::string(S4_SOURCE_DIR) + "/tests/golden/dispids.tsv");
  EXPECT_TRUE(in) << "tests/golden/dispids.tsv";
  std::vector<GoldenRow> rows;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::stringstream ss(line);
    for (std::string cell; std::getline(ss, cell, '\t');) f.push_back(cell);
    EXPECT_EQ(f.size(), 5u) << "line " << n;
    if (f.size() != 5) continue;
    GoldenRow r{f[0], static_cast<DISPID>(std::stol(f[1])), f[2], TableWord(f[4]) + "(", n};
    if (f[3] != "-") {
      std::stringstream args(f[3]);
      bool first = true;
      for (std::string a; std::getline(args, a, ',');) {
        r.signature += (first ? "" : ",") + TableWord(a);
        first = false;
      }
    }
    r.signature += ")";
    rows.push_back(std::move(r));
  }
  return rows;
}

// Each list in driver/dispids/*.inc holds exactly the interface's operations, in its slot
// order, with the host's numbers and names; and the operation each DISPID is bound to takes
// and answers the types of the table. A changed number, name, order, argument or result in a
// list or a binding fails here.
TEST(Dispids, ListsAndSignaturesAreTheHostInterfaces) {
  const std::vector<GoldenRow> golden = LoadGolden();
  ASSERT_FALSE(golden.empty());
  std::map<std::string, std::vector<std::pair<DISPID, std::string>>> listed, expected;
  for (const auto& n : dispid::All()) listed[std::string(n.interfaceName)].emplace_back(n.id, std::string(n.name));
  for (const auto& r : golden) expected[r.interfaceName].emplace_back(r.id, r.name);
  for (const auto& [iface, ops] : expected) {
    SCOPED_TRACE(iface);
    const auto& have = listed[iface];
    EXPECT_EQ(have.size(), ops.size()) << "operations of " << iface;
    for (std::size_t i = 0; i < std::min(have.size(), ops.size()); ++i)
      EXPECT_EQ(have[i], ops[i]) << iface << " slot " << i;
  }
  for (const auto& [iface, ops] : listed) EXPECT_TRUE(expected.count(iface)) << iface << " is not a host interface";

  using Table = TAbstractSupportService::DispatchTableType;
  const std::map<std::string, std::vector<const Table*>> servedBy = {
      {"SupportService", {&TAbstractSupportService::ClassTable()}},
      {"DeviceInformation", {&TAbstractDeviceInformation::ClassTable()}},
      {"VireoDriver", {&TAbstractVireoDriver::ClassTable()}},
      {"DevicePin", {&TAbstractDevicePin::ClassTable()}},
      {"DeviceIOStandard", {&TAbstractDeviceIOStandard::ClassTable()}},
      {"BSDLEntity", {&TAbstractBSDLEntity::ClassTable()}},
      {"BSDLObject", {&TAbstractBSDLObject::ClassTable(), &TAbstractScanPin::ClassTable()}},
      {"ScanPin", {&TAbstractScanPin::ClassTable()}},
      {"BSDLValueHolder", {&TAbstractScanPin::ClassTable(), &TAbstractBoundaryCell::ClassTable()}},
      {"PinMapping", {&TAbstractPinMapping::ClassTable()}},
      {"BoundaryCell", {&TAbstractBoundaryCell::ClassTable()}},
      {"InstructionOpCode", {&TAbstractInstructionOpCode::ClassTable()}},
      {"RegisterAssociation", {&TAbstractRegisterAssociation::ClassTable()}},
  };
  for (const auto& r : golden) {
    auto it = servedBy.find(r.interfaceName);
    ASSERT_NE(it, servedBy.end()) << r.interfaceName;
    for (const Table* t : it->second) {
      const auto* e = t->Find(r.id);
      if (!e) {
        ADD_FAILURE() << r.interfaceName << "." << r.name << " (" << r.id << ") is not answered";
        continue;
      }
      ASSERT_NE(e->signature, nullptr);
      EXPECT_EQ(e->signature(), r.signature)
          << r.interfaceName << "." << r.name << " (" << r.id << "), golden line " << r.line;
    }
  }
}

}  // namespace
}  // namespace s4
