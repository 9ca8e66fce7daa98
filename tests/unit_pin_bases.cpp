// The pin and I/O-standard bases: derived pin answers, service names, defaults.
#include <gtest/gtest.h>

#include "driver/abstract_device_pin.h"
#include "platform/dispatch_call.h"

namespace s4 {
namespace {

// A pin whose answers a test sets, recording which pair flags were asked.
struct FakePin : TVireoAbstractDevicePin {
  std::u16string bank, diff, clkDiff;
  std::uint32_t flags = 0;  // bit per flag name below
  mutable std::vector<std::string> asked;
  bool Flag(const char* name, int bit) {
    asked.emplace_back(name);
    return (flags >> bit) & 1u;
  }
  WideString GetPinNumber() override { return u"A10"; }
  WideString GetIOBank() override { return bank; }
  bool GetIsIOPin() override { return true; }
  bool GetIsCLKPin() override { return false; }
  bool GetIsVREFPin() override { return false; }
  bool GetIsSpecialPin() override { return false; }
  std::int32_t GetIOStandardCount() override { return 0; }
  ComPtr<IDispatch> GetIOStandard(std::int32_t) override { return {}; }
  bool GetIsInputOnlyPin() override { return false; }
  bool GetIsDCIP_Pin() override { return Flag("DCIP", 5); }
  bool GetIsDCIN_Pin() override { return Flag("DCIN", 6); }
  bool GetIsDiffP_Pin() override { return Flag("DiffP", 7); }
  bool GetIsDiffN_Pin() override { return Flag("DiffN", 8); }
  bool GetIsHDiffP_Pin() override { return Flag("HDiffP", 9); }
  bool GetIsHDiffN_Pin() override { return Flag("HDiffN", 10); }
  bool GetIsTransmitDiffPin() override { return false; }
  bool GetIsReceiveDiffPin() override { return false; }
  bool GetIsClkDiffP_Pin() override { return Flag("ClkDiffP", 13); }
  bool GetIsClkDiffN_Pin() override { return Flag("ClkDiffN", 14); }
  bool GetIsDLLPin() override { return false; }
  WideString GetDifferentialId() override { return diff; }
  WideString GetClkDifferentialId() override { return clkDiff; }
};

// Pins are owned by their driver, never freed by Release; a test frees its own.
using PinPtr = std::unique_ptr<FakePin>;
PinPtr NewPin() { return PinPtr(TAbstractSupportService::Create<FakePin>()); }

std::string Str(const CallResult& r) {
  return r.value.vt() == VT_BSTR ? Utf16ToUtf8(BstrView(r.value.raw().bstrVal)) : "?";
}

TEST(TVireoAbstractDevicePin, UniqueDifferentialIdAlwaysHasTwoBars) {
  auto pin = NewPin();
  FakePin* p = pin.get();
  const struct { const char16_t *bank, *diff, *clk; const char* expected; } cases[] = {
      {u"7C", u"21", u"", "7C|21|"}, {u"", u"R1T", u"", "|R1T|"}, {u"", u"", u"", "||"}, {u"1A", u"", u"PLL_L1", "1A||PLL_L1"}};
  for (const auto& c : cases) {
    p->bank = c.bank;
    p->diff = c.diff;
    p->clkDiff = c.clk;
    EXPECT_EQ(Str(CallDispatch(p, 503547)), c.expected);
  }
}

TEST(TVireoAbstractDevicePin, PairSidesAskTheFlagsInOrderAndStopAtTheFirst) {
  auto pin = NewPin();
  FakePin* p = pin.get();
  p->flags = 1u << 9;  // high-speed positive only
  auto r = CallDispatch(p, 503548);
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_TRUE);
  EXPECT_EQ(p->asked, (std::vector<std::string>{"DiffP", "HDiffP"}));
  p->asked.clear();
  r = CallDispatch(p, 503549);
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_FALSE);
  EXPECT_EQ(p->asked, (std::vector<std::string>{"DiffN", "HDiffN", "DCIN", "ClkDiffN"}));
  p->flags = 1u << 14;
  EXPECT_EQ(CallDispatch(p, 503549).value.raw().boolVal, VARIANT_TRUE);
}

TEST(TVireoAbstractDevicePin, ServiceNamesReferenceCountAndUnknownIds) {
  auto pin = NewPin();
  FakePin* p = pin.get();
  EXPECT_EQ(CallDispatch(p, 1023, {Variant(u"devicepin")}).value.raw().boolVal, VARIANT_TRUE);
  EXPECT_EQ(CallDispatch(p, 1023, {Variant(u"DeviceInformation")}).value.raw().boolVal, VARIANT_FALSE);
  EXPECT_EQ(static_cast<std::int32_t>(p->AddRef()), -1);
  EXPECT_EQ(static_cast<std::int32_t>(p->Release()), -1);
  VARIANT result;
  result.vt = VT_I4;
  result.lVal = 12345;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(p->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(result.lVal, 12345);
}

struct FakeStandard : TVireoAbstractDeviceIOStandard {
  std::uint8_t kind = 16;
  std::uint8_t GetIOStandardKind() override { return kind; }
};

TEST(TVireoAbstractDeviceIOStandard, DefaultsComeFromTheKindCode) {
  auto* s = TAbstractSupportService::Create<FakeStandard>();
  s->AddRef();
  EXPECT_EQ(Str(CallDispatch(s, 503520)), "SSTL2I");
  EXPECT_EQ(CallDispatch(s, 503521).value.raw().lVal, 0);
  EXPECT_EQ(CallDispatch(s, 503523).value.raw().lVal, 0);
  EXPECT_EQ(Str(CallDispatch(s, 503522, {Variant(std::int32_t(0))})), "");
  EXPECT_EQ(Str(CallDispatch(s, 503524, {Variant(std::int32_t(0))})), "");
  EXPECT_EQ(CallDispatch(s, 1023, {Variant(u"DEVICEIOSTANDARD")}).value.raw().boolVal, VARIANT_TRUE);
  s->kind = 185;
  EXPECT_EQ(Str(CallDispatch(s, 503520)), "RSDS25E");
  s->Release();
}

}  // namespace
}  // namespace s4
