// Device-information queries of every device kind, through Invoke.
#include <map>
#include <set>
#include <string>

#include "tests/module_fixture.h"

namespace s4::test {
namespace {

enum Query : DISPID {
  kIdCode = 503379, kDeviceName, kDeviceDescription, kFamilyName, kFamilyDescription, kLibraryName,
  kVendorPrimitiveLibraryName, kBaseName, kEquivalentGates, kMaxIO, kPackageTypeId, kPackageTypeName,
  kPackageTypeDescription, kPackageId, kPackageName, kPackageDescription, kPackageDimensions,
  kTemperatureGradeId, kTemperatureGradeName, kTemperatureGradeDescription, kSpeedGradeId, kSpeedGradeName,
  kSpeedGradeDescription, kOptionDesignatorId, kOptionDesignatorName, kOptionDesignatorDescription,
  kBSDLFilename, kBSDLEntity, kVendorName, kInstructionLength, kDevicePinCount, kDeviceIOCount, kDevicePin,
  kDownloadFileExtensions, kDSPMultiplierCount, kClockManagerCount, kMemorySize, kTerminationSupport,
  kGlobalClockCount, kConfigMemorySize, kDiffPairCount, kHighSpeedDiffPairCount, kIOStandardCount, kIOStandard,
  kDeviceDisplayName, kDeviceParameter
};

std::string Str(IDispatch* d, DISPID id) {
  auto r = CallDispatch(d, id);
  EXPECT_EQ(r.hr, S_OK) << id;
  EXPECT_EQ(r.value.vt(), VT_BSTR) << id;
  return Text(r.value);
}

std::int64_t Int(IDispatch* d, DISPID id) {
  auto r = CallDispatch(d, id);
  EXPECT_EQ(r.hr, S_OK) << id;
  EXPECT_EQ(r.value.vt(), VT_I4) << id;
  return r.value.vt() == VT_I4 ? r.value.raw().lVal : -999;
}

std::string RenderBool(const CallResult& r) {
  if (r.hr != S_OK || r.value.vt() != VT_BOOL) return "<not a VT_BOOL>";
  return r.value.raw().boolVal ? "True" : "False";
}

TEST(DeviceInfo, ExamplesOfTheFirstAndLastKind) {
  struct Case {
    std::int32_t kind;
    DISPID id;
    const char* text;   // string answers
    std::int64_t value;  // integer answers, when text is null
  } cases[] = {
      {0, kDeviceName, "EP4SGX70DF29C2x", 0},
      {0, kIdCode, nullptr, 0x024200DD},
      {0, kBaseName, "EP4SGX70D", 0},
      {0, kPackageId, "F29", 0},
      {0, kPackageName, "FBGA780", 0},
      {0, kPackageDimensions, "29 x 29 mm", 0},
      {0, kPackageTypeId, "F", 0},
      {0, kPackageTypeDescription, "FineLine Ball Grid Array (F)", 0},
      {0, kTemperatureGradeName, "Commercial", 0},
      {0, kSpeedGradeId, "2x", 0},
      {0, kSpeedGradeDescription, "Speed Grade 2x", 0},
      {0, kOptionDesignatorId, "None", 0},
      {0, kOptionDesignatorName, "Standard", 0},
      {0, kOptionDesignatorDescription, "Standard Configuration", 0},
      {0, kBSDLFilename, "EP4SGX70DF29.bsd", 0},
      {0, kDSPMultiplierCount, nullptr, 384},
      {0, kEquivalentGates, nullptr, 72600},
      {0, kMaxIO, nullptr, 488},
      {0, kMemorySize, nullptr, 7370},
      {0, kConfigMemorySize, nullptr, 47833345},
      {0, kInstructionLength, nullptr, 10},
      {0, kFamilyName, "Stratix4", 0},
      {0, kFamilyDescription, "Stratix IV FPGA", 0},
      {0, kLibraryName, "Altera Stratix IV.IntLib", 0},
      {0, kVendorPrimitiveLibraryName, "", 0},
      {0, kDownloadFileExtensions, "", 0},
      {0, kDeviceDisplayName, "EP4SGX70DF29C2x", 0},
      {485, kDeviceName, "EP4S100G5F45I3N", 0},
      {485, kOptionDesignatorId, "N", 0},
      {485, kOptionDesignatorName, "N", 0},
      {485, kOptionDesignatorDescription, "Pb-Free", 0},
      {485, kClockManagerCount, nullptr, 12},
      {485, kGlobalClockCount, nullptr, 13},
      {485, kTemperatureGradeDescription, "Industrial Grade", 0},
      {485, kSpeedGradeDescription, "Speed Grade 3", 0},
      {444, kSpeedGradeDescription, "Speed Grade 1 (Fastest)", 0},
      {395, kSpeedGradeDescription, "Speed Grade 4 (Slowest)", 0},
      {384, kPackageTypeName, "HBGA", 0},
      {384, kPackageDescription, "1152-Ball Hybrid FineLine Ball Grid Array (HBGA1152)", 0},
  };
  for (const Case& c : cases) {
    auto d = Driver(c.kind);
    ASSERT_TRUE(d);
    if (c.text) {
      EXPECT_EQ(Str(d.get(), c.id), c.text) << "kind " << c.kind << " DISPID " << c.id;
    } else {
      EXPECT_EQ(Int(d.get(), c.id), c.value) << "kind " << c.kind << " DISPID " << c.id;
    }
  }
}

TEST(DeviceInfo, BoundaryKindsOfTheNumberingGroups) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "EP4SGX70DF29C2x"},    {173, "EP4SGX530NF45I4"}, {174, "EP4SGX70DF29C2xN"}, {347, "EP4SGX530NF45I4N"},
      {348, "EP4SE230F29C2"},    {395, "EP4SE820F43I4"},   {396, "EP4SE230F29C2N"},   {443, "EP4SE820F43I4N"},
      {444, "EP4S40G2F40I1"},    {464, "EP4S100G5F45I3"},  {465, "EP4S40G2F40I1N"},   {485, "EP4S100G5F45I3N"},
  };
  for (auto [kind, name] : cases) EXPECT_EQ(Str(Driver(kind).get(), kDeviceName), name) << kind;
}

// The first kind of every row of the kind order, in both option halves.
TEST(DeviceInfo, FirstKindOfEveryRow) {
  struct Row {
    const char* device;
    const char* firstGrades;
    std::int32_t none, n;
  } rows[] = {
      {"EP4SGX70DF29", "C2x", 0, 174},     {"EP4SGX70HF35", "C2", 6, 180},      {"EP4SGX110DF29", "C2x", 12, 186},
      {"EP4SGX110FF35", "C2x", 18, 192},   {"EP4SGX110HF35", "C2", 24, 198},    {"EP4SGX180DF29", "C2x", 30, 204},
      {"EP4SGX180FF35", "C2x", 36, 210},   {"EP4SGX180HF35", "C2", 42, 216},    {"EP4SGX180KF40", "C2", 48, 222},
      {"EP4SGX230DF29", "C2x", 54, 228},   {"EP4SGX230FF35", "C2x", 60, 234},   {"EP4SGX230HF35", "C2", 66, 240},
      {"EP4SGX230KF40", "C2", 72, 246},    {"EP4SGX290FH29", "C2x", 78, 252},   {"EP4SGX290FF35", "C2x", 84, 258},
      {"EP4SGX290HF35", "C2", 90, 264},    {"EP4SGX290KF40", "C2", 96, 270},    {"EP4SGX290KF43", "C2", 102, 276},
      {"EP4SGX290NF45", "C2", 108, 282},   {"EP4SGX360FH29", "C2x", 114, 288},  {"EP4SGX360FF35", "C2x", 120, 294},
      {"EP4SGX360HF35", "C2", 126, 300},   {"EP4SGX360KF40", "C2", 132, 306},   {"EP4SGX360KF43", "C2", 138, 312},
      {"EP4SGX360NF45", "C2", 144, 318},   {"EP4SGX530HH35", "C2", 150, 324},   {"EP4SGX530KH40", "C2", 156, 330},
      {"EP4SGX530KF43", "C2", 162, 336},   {"EP4SGX530NF45", "C2", 168, 342},   {"EP4SE230F29", "C2", 348, 396},
      {"EP4SE360H29", "C2", 354, 402},     {"EP4SE360F35", "C2", 360, 408},     {"EP4SE530H35", "C2", 366, 414},
      {"EP4SE530H40", "C2", 372, 420},     {"EP4SE530F43", "C2", 378, 426},     {"EP4SE820H35", "C3", 384, 432},
      {"EP4SE820H40", "C3", 388, 436},     {"EP4SE820F43", "C3", 392, 440},     {"EP4S40G2F40", "I1", 444, 465},
      {"EP4S40G5H40", "I1", 447, 468},     {"EP4S100G2F40", "I1", 450, 471},    {"EP4S100G3F45", "I1", 453, 474},
      {"EP4S100G4F45", "I1", 456, 477},    {"EP4S100G5H40", "I1", 459, 480},    {"EP4S100G5F45", "I1", 462, 483},
  };
  for (const Row& r : rows) {
    const std::string name = std::string(r.device) + r.firstGrades;
    EXPECT_EQ(Str(Driver(r.none).get(), kDeviceName), name) << r.none;
    EXPECT_EQ(Str(Driver(r.n).get(), kDeviceName), name + "N") << r.n;
    EXPECT_EQ(Str(Driver(r.n).get(), kBSDLFilename), std::string(r.device) + ".bsd") << r.n;
  }
}

// Every kind: the name follows the naming rule from its own parts, all names differ, and the
// fields that depend only on the base device or package agree.
TEST(DeviceInfo, EveryKindFollowsTheNamingRule) {
  std::set<std::string> names;
  std::map<std::string, std::int64_t> idCodes;
  std::map<std::string, std::string> dimensions;
  for (std::int32_t kind = 0; kind < 486; ++kind) {
    auto d = Driver(kind);
    ASSERT_TRUE(d) << kind;
    const std::string name = Str(d.get(), kDeviceName);
    const std::string base = Str(d.get(), kBaseName), package = Str(d.get(), kPackageId);
    const std::string option = Str(d.get(), kOptionDesignatorId);
    EXPECT_EQ(name, base + package + Str(d.get(), kTemperatureGradeId) + Str(d.get(), kSpeedGradeId) +
                        (option == "N" ? "N" : ""))
        << kind;
    EXPECT_TRUE(option == "N" || option == "None") << kind;
    EXPECT_EQ(option == "N", (kind >= 174 && kind < 348) || (kind >= 396 && kind < 444) || kind >= 465) << kind;
    EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
    EXPECT_EQ(Str(d.get(), kPackageTypeId), package.substr(0, 1)) << kind;
    EXPECT_EQ(Str(d.get(), kBSDLFilename), base + package + ".bsd") << kind;
    EXPECT_EQ(Int(d.get(), kInstructionLength), 10) << kind;
    EXPECT_EQ(RenderBool(CallDispatch(d.get(), kTerminationSupport)), "True") << kind;
    const std::int64_t id = Int(d.get(), kIdCode);
    EXPECT_TRUE(idCodes.emplace(base, id).first->second == id) << "base " << base << " has two codes";
    const std::string dim = Str(d.get(), kPackageDimensions);
    EXPECT_TRUE(dimensions.emplace(package, dim).first->second == dim) << package;
  }
  EXPECT_EQ(idCodes.size(), 34u);
  EXPECT_EQ(idCodes["EP4S40G2"], idCodes["EP4S100G2"]);
  EXPECT_EQ(idCodes["EP4S40G5"], idCodes["EP4S100G5"]);
  EXPECT_EQ(idCodes["EP4S40G2"], 0x024410DD);
  EXPECT_EQ(idCodes["EP4S40G5"], 0x024230DD);
  EXPECT_EQ(idCodes["EP4SGX290N"], 0x024430DD);
  EXPECT_EQ(idCodes["EP4SGX360N"], 0x024830DD);
  EXPECT_NE(idCodes["EP4SGX290N"], idCodes["EP4SGX290F"]);
  EXPECT_NE(idCodes["EP4SGX360N"], idCodes["EP4SGX360K"]);
  EXPECT_EQ(dimensions.size(), 8u);
  for (const char* p : {"F43", "H35", "H40"}) EXPECT_EQ(dimensions[p], "42.5 x 42.5 mm") << p;
}

TEST(DeviceInfo, DescriptionIsVendorFamilyAndNameFromTheDriversOwnAnswers) {
  for (std::int32_t kind : {0, 485}) {
    auto d = Driver(kind);
    EXPECT_EQ(Str(d.get(), kDeviceDescription),
              Str(d.get(), kVendorName) + " " + Str(d.get(), kFamilyName) + " " + Str(d.get(), kDeviceName));
  }
}

}  // namespace
}  // namespace s4::test
