// The pin data and the boundary-scan description of a device are two answers about the same
// balls; the host shows both (pin list, pin-states panel), so they must not contradict each
// other. For one device kind of each of the 45 device packages, every pin is asked through
// the pin interface and every scan pin through the entity, and the two are compared.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "driver/dispids.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

namespace DI = dispid::DeviceInformation;
namespace DP = dispid::DevicePin;
namespace E = dispid::BSDLEntity;
namespace SP = dispid::ScanPin;

CallResult Ask(IDispatch* d, DISPID id, std::vector<Variant> args = {}) {
  CallResult r = CallDispatch(d, id, std::span<const Variant>(args));
  EXPECT_EQ(r.hr, S_OK) << id;
  return r;
}
std::string Str(IDispatch* d, DISPID id) { return Text(Ask(d, id).value); }
std::int32_t Int(IDispatch* d, DISPID id) {
  const CallResult r = Ask(d, id);
  return r.value.vt() == VT_I4 ? r.value.raw().lVal : -1;
}
bool Bool(IDispatch* d, DISPID id) {
  const CallResult r = Ask(d, id);
  return r.value.vt() == VT_BOOL && r.value.raw().boolVal != VARIANT_FALSE;
}
IDispatch* Obj(IDispatch* d, DISPID id, std::vector<Variant> args = {}) {
  const CallResult r = Ask(d, id, std::move(args));
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}

struct PinAnswer {
  std::string bank, diffId, clkDiffId, uniqueId;
  bool io = false, vref = false, hdiff = false, diff = false, transmit = false, receive = false;
  bool Flagged() const { return io || vref || hdiff || diff || !diffId.empty() || !clkDiffId.empty(); }
};
struct ScanAnswer {
  std::string name;
  std::int32_t direction = -1, kind = -1;
};

// TPinElectrical and TScanPinKind ordinals as the host sees them.
constexpr std::int32_t kInput = 0, kIO = 1, kOutput = 2;
constexpr std::int32_t kNormal = 0;

TEST(PinDataAndBoundaryScan, AgreeOnEveryBallOfEveryPackage) {
  std::map<std::string, std::int32_t> kindPerFile;
  std::vector<ComPtr<IDispatch>> drivers;
  for (std::int32_t k = 0; k < 486; ++k) {
    ComPtr<IDispatch> d = Driver(k);
    if (kindPerFile.emplace(Str(d.get(), DI::GetBSDLFilename), k).second) drivers.push_back(d);
  }
  ASSERT_EQ(drivers.size(), 45u);

  for (const ComPtr<IDispatch>& driver : drivers) {
    IDispatch* d = driver.get();
    const std::string package = Str(d, DI::GetBaseName) + Str(d, DI::GetPackageId);
    SCOPED_TRACE(package);

    std::map<std::string, PinAnswer> pins;
    const std::int32_t pinCount = Int(d, DI::GetDevicePinCount);
    for (std::int32_t i = 0; i < pinCount; ++i) {
      IDispatch* p = Obj(d, DI::GetDevicePin, {Variant(i)});
      ASSERT_NE(p, nullptr);
      PinAnswer a;
      a.bank = Str(p, DP::GetIOBank);
      a.diffId = Str(p, DP::GetDifferentialId);
      a.clkDiffId = Str(p, DP::GetClkDifferentialId);
      a.uniqueId = Str(p, DP::GetUniqueDifferentialID);
      a.io = Bool(p, DP::GetIsIOPin);
      a.vref = Bool(p, DP::GetIsVREFPin);
      a.hdiff = Bool(p, DP::GetIsHDiffP_Pin) || Bool(p, DP::GetIsHDiffN_Pin);
      a.diff = Bool(p, DP::GetIsDiffP_Pin) || Bool(p, DP::GetIsDiffN_Pin);
      a.transmit = Bool(p, DP::GetIsTransmitDiffPin);
      a.receive = Bool(p, DP::GetIsReceiveDiffPin);
      pins.emplace(Str(p, DP::GetPinNumber), a);
    }

    IDispatch* entity = Obj(d, DI::GetBSDLEntity);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(Str(entity, E::GetName), package);
    std::map<std::string, ScanAnswer> scan;
    const std::int32_t scanCount = Int(entity, E::GetPinCount);
    for (std::int32_t i = 0; i < scanCount; ++i) {
      IDispatch* s = Obj(entity, E::GetPin, {Variant(i)});
      ASSERT_NE(s, nullptr);
      const std::string number = Str(s, SP::GetPinNumber);
      EXPECT_TRUE(scan.emplace(number, ScanAnswer{Str(s, SP::GetPinName), Int(s, SP::GetDirection), Int(s, SP::GetKind)})
                      .second)
          << number << " is two scan pins";
    }
    EXPECT_EQ(scan.size(), pins.size()) << "the description and the pin data cover different balls";

    // The TAP balls are dedicated pins in the pin data too.
    for (DISPID tap : {E::GetPin_TCK, E::GetPin_TDI, E::GetPin_TDO, E::GetPin_TMS, E::GetPin_TRST}) {
      IDispatch* s = Obj(entity, tap);
      ASSERT_NE(s, nullptr);
      const std::string ball = Str(s, SP::GetPinNumber);
      auto it = pins.find(ball);
      ASSERT_NE(it, pins.end()) << ball;
      EXPECT_FALSE(it->second.Flagged()) << Str(s, SP::GetPinName) << " on " << ball << " is also a pin of bank '"
                                         << it->second.bank << "' with pair '" << it->second.diffId << "'";
    }

    // Both pins of a pair are in one bank and answer the same unique differential id.
    std::map<std::string, std::vector<const PinAnswer*>> pairs, clockPairs;
    for (const auto& [ball, a] : pins) {
      if (!a.diffId.empty()) pairs[a.diffId].push_back(&a);
      if (!a.clkDiffId.empty()) clockPairs[a.clkDiffId].push_back(&a);
    }
    for (const auto* group : {&pairs, &clockPairs})
      for (const auto& [id, members] : *group) {
        ASSERT_EQ(members.size(), 2u) << "pair " << id;
        EXPECT_EQ(members[0]->bank, members[1]->bank) << "pair " << id;
        if (group == &pairs) {
          EXPECT_EQ(members[0]->uniqueId, members[1]->uniqueId) << "pair " << id;
        }
      }

    // Each ball's scan pin is of the kind its pin data says.
    for (const auto& [ball, s] : scan) {
      auto it = pins.find(ball);
      ASSERT_NE(it, pins.end()) << ball;
      const PinAnswer& a = it->second;
      const bool ioName = s.name == "IO" + ball;
      if (a.io) {
        EXPECT_TRUE(ioName) << ball << " is an I/O pin, scanned as " << s.name;
        EXPECT_EQ(s.direction, kIO) << ball;
        EXPECT_EQ(s.kind, kNormal) << ball;
        continue;
      }
      EXPECT_NE(s.name.rfind("IO", 0), 0u) << ball << " is no I/O pin, scanned as " << s.name;
      if (a.vref || a.hdiff || a.diff) {
        const std::int32_t expected = a.hdiff && a.transmit ? kOutput : kInput;
        EXPECT_EQ(s.direction, expected) << ball << " (" << s.name << ")";
        EXPECT_EQ(s.kind, kNormal) << ball << " (" << s.name << ")";
      }
    }
  }
}

}  // namespace
}  // namespace s4::test
