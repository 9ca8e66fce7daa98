// Pins and I/O standards of the device database, through Invoke.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/module_fixture.h"

namespace s4::test {
namespace {

constexpr DISPID kSupportsService = 1023;
constexpr DISPID kDevicePinCount = 503409, kDeviceIOCount = 503410, kDevicePin = 503411;
constexpr DISPID kDiffPairCount = 503419, kHighSpeedDiffPairCount = 503420;
constexpr DISPID kDeviceIOStandardCount = 503421, kDeviceIOStandard = 503422;
// Pin interface.
constexpr DISPID kPinNumber = 503525, kIOBank = 503526, kIsIOPin = 503527, kPinIOStandardCount = 503531,
                 kPinIOStandard = 503532, kIsDCIP = 503534, kIsDiffP = 503536, kDifferentialId = 503545,
                 kClkDifferentialId = 503546, kUniqueDifferentialID = 503547, kIsPosPinOfDiffPair = 503548,
                 kIsNegPinOfDiffPair = 503549;
// I/O-standard interface.
constexpr DISPID kDisplayName = 503519, kParamName = 503520, kSlewCount = 503521, kSlewValue = 503522,
                 kDriveCount = 503523, kDriveStrength = 503524;

std::string Str(IDispatch* d, DISPID id, std::vector<Variant> args = {}) {
  auto r = CallDispatch(d, id, std::span<const Variant>(args));
  EXPECT_EQ(r.hr, S_OK) << id;
  return Text(r.value);
}
std::int32_t Int(IDispatch* d, DISPID id) {
  auto r = CallDispatch(d, id);
  EXPECT_EQ(r.hr, S_OK) << id;
  EXPECT_EQ(r.value.vt(), VT_I4) << id;
  return r.value.raw().lVal;
}
bool Bool(IDispatch* d, DISPID id) {
  auto r = CallDispatch(d, id);
  EXPECT_EQ(r.hr, S_OK) << id;
  EXPECT_EQ(r.value.vt(), VT_BOOL) << id;
  return r.value.raw().boolVal != VARIANT_FALSE;
}
// An object result (null when the module answered null), checking the call succeeded.
IDispatch* Object(IDispatch* d, DISPID id, std::int32_t index) {
  auto r = CallDispatch(d, id, {Variant(index)});
  EXPECT_EQ(r.hr, S_OK) << id << "(" << index << ")";
  EXPECT_EQ(r.value.vt(), VT_DISPATCH) << id << "(" << index << ")";
  // The module keeps its pins and standards alive itself, so the raw pointer stays valid.
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}

IDispatch* PinByNumber(IDispatch* driver, const std::string& number) {
  const std::int32_t n = Int(driver, kDevicePinCount);
  for (std::int32_t i = 0; i < n; ++i) {
    IDispatch* pin = Object(driver, kDevicePin, i);
    if (pin && Str(pin, kPinNumber) == number) return pin;
  }
  return nullptr;
}

TEST(Pins, FirstKindCountsFirstPinAndFirstStandard) {
  auto d = Driver(0);
  EXPECT_EQ(Int(d.get(), kDevicePinCount), 780);
  EXPECT_EQ(Int(d.get(), kDeviceIOCount), 372);
  EXPECT_EQ(Int(d.get(), kDiffPairCount), 185);
  EXPECT_EQ(Int(d.get(), kHighSpeedDiffPairCount), 20);
  EXPECT_EQ(Int(d.get(), kDeviceIOStandardCount), 60);
  IDispatch* first = Object(d.get(), kDevicePin, 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(Str(first, kPinNumber), "A10");
  EXPECT_EQ(Str(first, kIOBank), "7C");
  EXPECT_EQ(Str(first, kDifferentialId), "21");
  EXPECT_TRUE(Bool(first, kIsIOPin));
  EXPECT_TRUE(Bool(first, kIsDiffP));
  EXPECT_EQ(Str(first, kUniqueDifferentialID), "7C|21|");
  EXPECT_EQ(Int(first, kPinIOStandardCount), 40);
  IDispatch* standard = Object(d.get(), kDeviceIOStandard, 0);
  ASSERT_TRUE(standard);
  EXPECT_EQ(Str(standard, kDisplayName), "SSTL2 Class I");
  EXPECT_EQ(Str(standard, kParamName), "SSTL2I");
  EXPECT_EQ(Str(standard, kDriveStrength, {Variant(0)}), "16mA");
  // The device's 60 standards skip the five it lacks: the 12th is ordinal 15, sPCIX_3.
  EXPECT_EQ(Str(Object(d.get(), kDeviceIOStandard, 11), kParamName), "PCIX_3");
  EXPECT_EQ(Str(Object(d.get(), kDeviceIOStandard, 59), kParamName), "DHSTL18I");
  for (std::int32_t i : {-1, 60, 65}) EXPECT_EQ(Object(d.get(), kDeviceIOStandard, i), nullptr) << i;
  for (std::int32_t i : {-1, 40}) EXPECT_EQ(Object(first, kPinIOStandard, i), nullptr) << i;
}

TEST(Pins, HighSpeedPinIsThePositivePinOfItsPair) {
  auto d = Driver(0);
  IDispatch* aa4 = PinByNumber(d.get(), "AA4");
  ASSERT_TRUE(aa4);
  EXPECT_TRUE(Bool(aa4, kIsPosPinOfDiffPair));
  EXPECT_FALSE(Bool(aa4, kIsNegPinOfDiffPair));
  EXPECT_FALSE(Bool(aa4, kIsDiffP));
  EXPECT_EQ(Str(aa4, kUniqueDifferentialID), "|R1T|");
  EXPECT_EQ(Int(aa4, kPinIOStandardCount), 0);
  IDispatch* p27 = PinByNumber(d.get(), "P27");
  ASSERT_TRUE(p27);
  EXPECT_EQ(Str(p27, kClkDifferentialId), "1");
  EXPECT_TRUE(Bool(p27, kIsPosPinOfDiffPair));  // through the clock pair flag
  EXPECT_EQ(Str(p27, kUniqueDifferentialID), "1C||1");
}

TEST(Pins, SetsWithoutBanksOrStandards) {
  for (std::int32_t kind : {348, 444, 485}) {
    auto d = Driver(kind);
    EXPECT_EQ(Int(d.get(), kDeviceIOStandardCount), 0) << kind;
    for (std::int32_t i : {-1, 0, 1, 64, 65}) EXPECT_EQ(Object(d.get(), kDeviceIOStandard, i), nullptr) << kind;
    const std::int32_t n = Int(d.get(), kDevicePinCount);
    for (std::int32_t i = 0; i < n; ++i) {
      IDispatch* pin = Object(d.get(), kDevicePin, i);
      ASSERT_TRUE(pin);
      EXPECT_EQ(Str(pin, kIOBank), "") << kind << " pin " << i;
      EXPECT_EQ(Int(pin, kPinIOStandardCount), 0);
      EXPECT_EQ(Object(pin, kPinIOStandard, 0), nullptr);
    }
  }
}

TEST(Pins, PinObjectsAreMadeOnceOwnedByTheDriverAndBoundedByTheSet) {
  auto d = Driver(0);
  IDispatch* a = Object(d.get(), kDevicePin, 5);
  ASSERT_TRUE(a);
  EXPECT_EQ(Object(d.get(), kDevicePin, 5), a);
  EXPECT_EQ(a->AddRef(), static_cast<ULONG>(-1));
  EXPECT_EQ(a->Release(), static_cast<ULONG>(-1));
  for (int i = 0; i < 3; ++i) a->Release();  // a host that over-releases frees nothing
  EXPECT_EQ(Str(a, kPinNumber), Str(Object(d.get(), kDevicePin, 5), kPinNumber));
  EXPECT_NE(Object(Driver(0).get(), kDevicePin, 5), a) << "each driver owns its own pins";
  for (std::int32_t i : {-1, 780, 1932, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000)})
    EXPECT_EQ(Object(d.get(), kDevicePin, i), nullptr) << i;
  EXPECT_TRUE(Object(d.get(), kDevicePin, 779));

  auto svc = [](IDispatch* o, const char16_t* name) {
    auto r = CallDispatch(o, kSupportsService, {Variant(name)});
    return r.value.vt() == VT_BOOL && r.value.raw().boolVal != VARIANT_FALSE;
  };
  EXPECT_TRUE(svc(a, u"devicepin"));
  EXPECT_FALSE(svc(a, u"DeviceInformation"));
  EXPECT_EQ(CallDispatch(a, 0).hr, E_NOTIMPL);
  IDispatch* standard = Object(d.get(), kDeviceIOStandard, 0);
  EXPECT_TRUE(svc(standard, u"DeviceIOStandard"));
  EXPECT_FALSE(svc(standard, u"DevicePin"));
}

TEST(IOStandards, SharedByEveryDriverAndPin) {
  auto d0 = Driver(0), d1 = Driver(96);
  IDispatch* s = Object(d0.get(), kDeviceIOStandard, 0);
  EXPECT_EQ(Object(d1.get(), kDeviceIOStandard, 0), s);
  EXPECT_EQ(Object(Object(d0.get(), kDevicePin, 0), kPinIOStandard, 0), s);
  for (int i = 0; i < 5; ++i) s->Release();  // the host's releases do not end a shared standard
  EXPECT_EQ(Str(s, kDisplayName), "SSTL2 Class I");
}

TEST(IOStandards, NamesSlewsAndDriveStrengthsInBitOrder) {
  auto d = Driver(36);  // EP4SGX180FF35C2x: all 65 standards, so index = ordinal
  ASSERT_EQ(Int(d.get(), kDeviceIOStandardCount), 65);
  struct Case {
    std::int32_t ordinal;
    const char* param;
    const char* display;
    std::vector<std::string> drives;
  } cases[] = {
      {0, "SSTL2I", "SSTL2 Class I", {"16mA"}},
      {1, "SSTL2I", "SSTL2 Class I", {"8mA", "12mA"}},
      {4, "SSTL18I", "SSTL18 Class I", {"4mA", "6mA", "8mA", "10mA", "12mA"}},
      {11, "PCML25", "Differential 2.5-V Pseudo Current Mode Logic", {}},
      {30, "LVCMOS18", "LVCMOS 1.8V", {"2mA", "4mA", "6mA", "8mA", "10mA", "12mA"}},
      {52, "DSSTL25II", "Differential 2.5-V SSTL Class I", {"16mA"}},
      {64, "DHSTL18I", "DHSTL 1.8V Class I", {"4mA", "6mA", "8mA", "10mA", "12mA"}},
  };
  for (const Case& c : cases) {
    IDispatch* s = Object(d.get(), kDeviceIOStandard, c.ordinal);
    ASSERT_TRUE(s) << c.ordinal;
    EXPECT_EQ(Str(s, kParamName), c.param);
    EXPECT_EQ(Str(s, kDisplayName), c.display);
    ASSERT_EQ(Int(s, kDriveCount), static_cast<std::int32_t>(c.drives.size())) << c.ordinal;
    for (std::size_t i = 0; i < c.drives.size(); ++i)
      EXPECT_EQ(Str(s, kDriveStrength, {Variant(static_cast<std::int32_t>(i))}), c.drives[i]) << c.ordinal;
  }
  for (std::int32_t ordinal = 0; ordinal < 65; ++ordinal) {
    IDispatch* s = Object(d.get(), kDeviceIOStandard, ordinal);
    ASSERT_TRUE(s);
    EXPECT_EQ(Int(s, kSlewCount), 2);
    EXPECT_EQ(Str(s, kSlewValue, {Variant(0)}), "SLOW");
    EXPECT_EQ(Str(s, kSlewValue, {Variant(1)}), "FAST");
    EXPECT_EQ(Str(s, kSlewValue, {Variant(2)}), "");
    EXPECT_EQ(Str(s, kSlewValue, {Variant(-1)}), "");
    EXPECT_EQ(Str(s, kDriveStrength, {Variant(Int(s, kDriveCount))}), "");
    EXPECT_EQ(Str(s, kDriveStrength, {Variant(-1)}), "");
    EXPECT_NE(Str(s, kDisplayName), "");
  }
}

// Every pin of a few sets answers what its data file says: the generated tables carry the
// files faithfully.
TEST(Pins, AnswersMatchTheDataFiles) {
  const std::pair<std::int32_t, const char*> sets[] = {
      {0, "EP4SGX70DF29"}, {246, "EP4SGX230KF40"}, {348, "EP4SE230F29"}, {483, "EP4S100G5F45"}};
  for (auto [kind, name] : sets) {
    std::ifstream in(std::string(S4_SOURCE_DIR) + "/devicedata/data/" + name + ".pins.tsv");
    ASSERT_TRUE(in) << name;
    auto d = Driver(kind);
    std::string line;
    std::int32_t index = 0;
    bool body = false;
    while (std::getline(in, line)) {
      if (!body) {
        body = line.rfind("PinNumber\t", 0) == 0;
        continue;
      }
      std::vector<std::string> f;
      std::stringstream ss(line);
      for (std::string field; std::getline(ss, field, '\t');) f.push_back(field);
      f.resize(6);
      IDispatch* pin = Object(d.get(), kDevicePin, index++);
      ASSERT_TRUE(pin) << name << " " << f[0];
      EXPECT_EQ(Str(pin, kPinNumber), f[0]);
      EXPECT_EQ(Str(pin, kIOBank), f[1]) << f[0];
      EXPECT_EQ(Str(pin, kDifferentialId), f[2]) << f[0];
      EXPECT_EQ(Str(pin, kClkDifferentialId), f[3]) << f[0];
      EXPECT_EQ(Bool(pin, kIsIOPin), (',' + f[4] + ',').find(",IO,") != std::string::npos) << f[0];
      EXPECT_EQ(Bool(pin, kIsDiffP), (',' + f[4] + ',').find(",DIFFP,") != std::string::npos) << f[0];
      EXPECT_FALSE(Bool(pin, kIsDCIP)) << f[0];
      EXPECT_EQ(Int(pin, kPinIOStandardCount) == 0, f[5].empty()) << f[0];
    }
    EXPECT_EQ(index, Int(d.get(), kDevicePinCount)) << name;
  }
}

}  // namespace
}  // namespace s4::test
