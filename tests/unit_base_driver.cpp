// The base driver on its own: every device-information default, the driver defaults, the
// flow caches and the control-register properties.
#include <gtest/gtest.h>

#include <stdexcept>

#include "driver/referenced_object.h"
#include "boundaryscan/bsdl_entity.h"
#include "driver/vireo_driver.h"
#include "tests/driver_defaults.h"

namespace s4 {
namespace {

using test::ExpectedAnswer;
using test::I4;
using test::RenderResult;
using test::Str;

std::unique_ptr<TVireoDriver> NewBaseDriver() {
  return std::unique_ptr<TVireoDriver>(TAbstractSupportService::Create<TVireoDriver>(u".VHD"));
}

TEST(TVireoDriver, DeviceInformationDefaults) {
  auto d = NewBaseDriver();
  const std::string empty = "VT_BSTR \"\"", minus1 = "VT_I4 -1 (0xFFFFFFFF)";
  std::vector<ExpectedAnswer> e;
  auto add = [&](DISPID id, std::vector<Variant> args, std::string r) {
    e.push_back({id, std::move(args), S_OK, std::move(r)});
  };
  add(503379, {}, "VT_I4 0 (0x00000000)");
  add(503380, {}, "VT_BSTR \"Generic Vireo Device\"");
  add(503381, {}, "VT_BSTR \"Generic Vireo Device\"");
  for (DISPID id : {503382, 503383, 503384, 503385, 503386}) add(id, {}, empty);
  add(503387, {}, minus1);
  add(503388, {}, minus1);
  add(503389, {}, "VT_BSTR \"Generic\"");
  add(503390, {}, "VT_BSTR \"Generic\"");
  add(503391, {}, "VT_BSTR \"Un-Classified Packages\"");
  for (DISPID id : {503392, 503393, 503394}) add(id, {}, empty);
  add(503395, {}, "VT_BSTR \"? x ? mm\"");
  for (DISPID id = 503396; id <= 503405; ++id) add(id, {}, empty);
  add(503406, {}, "VT_DISPATCH null");
  add(503407, {}, empty);
  add(503408, {}, "VT_I4 4 (0x00000004)");
  add(503409, {}, "VT_I4 0 (0x00000000)");
  add(503410, {}, minus1);
  add(503411, {I4(0)}, "VT_DISPATCH null");
  add(503412, {}, empty);
  for (DISPID id : {503413, 503414, 503415}) add(id, {}, minus1);
  add(503416, {}, "VT_BOOL False");
  for (DISPID id : {503417, 503418, 503419, 503420}) add(id, {}, minus1);
  add(503421, {}, "VT_I4 0 (0x00000000)");
  add(503422, {I4(0)}, "VT_DISPATCH null");
  add(503423, {}, "VT_BSTR \"Generic Vireo Device\"");
  add(503424, {Str(u"ProcessorDeviceName")}, empty);
  ASSERT_EQ(e.size(), 46u) << "one row per device-information operation";
  for (const auto& x : e) {
    auto r = CallDispatch(d->AsDispatch(), x.id, std::span<const Variant>(x.args));
    EXPECT_EQ(r.hr, S_OK) << x.id;
    EXPECT_EQ(RenderResult(r), x.rendered) << "DISPID " << x.id;
  }
}

TEST(TVireoDriver, DriverDefaultsOfTheBase) {
  auto d = NewBaseDriver();
  for (const auto& x : test::KeptDriverDefaults()) {
    auto r = CallDispatch(d->AsDispatch(), x.id, std::span<const Variant>(x.args));
    EXPECT_EQ(r.hr, x.hr) << "DISPID " << x.id;
    if (SUCCEEDED(x.hr)) {
      EXPECT_EQ(RenderResult(r), x.rendered) << "DISPID " << x.id;
    }
  }
  const struct { DISPID id; const char* rendered; } replacedLater[] = {
      {503786, "VT_BOOL False"},          // ResetDevice
      {503787, "VT_I4 0 (0x00000000)"},   // GetDeviceState
      {503789, "VT_I4 -1 (0xFFFFFFFF)"},  // ReadUserCode
      {503790, "VT_DISPATCH null"},       // FlowStage_Build
      {503791, "VT_DISPATCH null"},       // FlowStage_Download
  };
  for (const auto& x : replacedLater) EXPECT_EQ(RenderResult(CallDispatch(d->AsDispatch(), x.id)), x.rendered);
  EXPECT_EQ(RenderResult(CallDispatch(d->AsDispatch(), 503788, {Str(u"x.rbf")})), "VT_I4 0 (0x00000000)");
}

// A driver whose flow factory counts its calls and can be told to answer nothing.
struct FlowDriver : TVireoDriver {
  FlowDriver() : TVireoDriver(u".VHD") {}
  ComPtr<IDispatch> CreateProcessFlow(std::int32_t kind) override {
    ++calls[kind];
    if (kind > 1 || !answer) return {};
    return ComPtr<IDispatch>::Share(TDispatchObject::Create<TDispatchObject>());  // freed by its last Release
  }
  bool answer = true;
  int calls[3] = {0, 0, 0};
};

TEST(TVireoDriver, FlowsAreMadeOnceAndKept) {
  auto d = std::unique_ptr<FlowDriver>(TAbstractSupportService::Create<FlowDriver>());
  auto a = CallDispatch(d->AsDispatch(), 503790);
  auto b = CallDispatch(d->AsDispatch(), 503790);
  ASSERT_EQ(a.value.vt(), VT_DISPATCH);
  EXPECT_NE(a.value.raw().pdispVal, nullptr);
  EXPECT_EQ(a.value.raw().pdispVal, b.value.raw().pdispVal);
  EXPECT_EQ(d->calls[0], 1);
  auto c = CallDispatch(d->AsDispatch(), 503791);
  EXPECT_NE(c.value.raw().pdispVal, a.value.raw().pdispVal);
  EXPECT_EQ(d->calls[1], 1);
}

TEST(TVireoDriver, AFactoryThatAnswersNullIsAskedAgain) {
  auto d = std::unique_ptr<FlowDriver>(TAbstractSupportService::Create<FlowDriver>());
  d->answer = false;
  EXPECT_EQ(RenderResult(CallDispatch(d->AsDispatch(), 503791)), "VT_DISPATCH null");
  EXPECT_EQ(RenderResult(CallDispatch(d->AsDispatch(), 503791)), "VT_DISPATCH null");
  EXPECT_EQ(d->calls[1], 2);
  d->answer = true;
  EXPECT_NE(CallDispatch(d->AsDispatch(), 503791).value.raw().pdispVal, nullptr);
}

TEST(TVireoDriver, ControlRegisterPropertiesWriteOneBitEach) {
  auto d = NewBaseDriver();
  const ControlRegisterBit bits[] = {kStepCounterBreakpointEnable, kReset, kDebugEnable, kDebugAcknowledge,
                                     kDebugRequest, kDebugStep, kDebuggerProgramSelect};
  d->SetControlRegister(0x40);  // bit 6 has no property and must survive every write
  for (auto bit : bits) {
    d->SetControlBit(bit, true);
    EXPECT_TRUE(d->ControlBit(bit));
  }
  EXPECT_EQ(d->ControlRegister(), 0xFF);
  d->SetControlBit(kReset, false);
  EXPECT_EQ(d->ControlRegister(), 0xDF);
  EXPECT_FALSE(d->ControlBit(kReset));
}

// A rack view whose release fails the way a host call fails inside the module: by raising.
struct FailingView : IDispatch {
  int releases = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override {
    ++releases;
    throw std::runtime_error("the host call failed");
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_FAIL;
  }
};

struct DriverWithView : TVireoDriver {
  DriverWithView() : TVireoDriver(u".VHD") {}
  void Attach(IDispatch* view) { FRackView = ComPtr<IDispatch>::Share(view); }
};

TEST(TVireoDriver, AFailingReleaseOfResourcesIsAnErrorButNeverEndsTheProcess) {
  FailingView view;
  auto* d = TAbstractSupportService::Create<DriverWithView>();
  d->Attach(&view);
  // Through Invoke: the failure is the operation's E_UNEXPECTED, and the view is let go.
  EXPECT_EQ(CallDispatch(d->AsDispatch(), 503812 /* ReleaseResources */).hr, E_UNEXPECTED);
  EXPECT_EQ(view.releases, 1);
  EXPECT_EQ(CallDispatch(d->AsDispatch(), 503812).hr, S_OK) << "nothing left to release";
  // In the destructor the same failure is swallowed: destroying the driver returns.
  d->Attach(&view);
  delete d;
  EXPECT_EQ(view.releases, 2);
}

// The deleter of boundary-scan model objects runs in destructors: an object that refuses
// destruction (still referenced) stays alive instead of the refusal escaping.
TEST(TVireoDriver, ModelObjectsStillReferencedAreLeftAliveByTheirOwner) {
  struct Model : TDispatchObject {};
  Model* m = TDispatchObject::Create<Model>();
  m->AddRef();
  { Owned<Model> owner(m); }  // ~unique_ptr must not raise
  EXPECT_EQ(m->RefCount(), 1);
  m->Release();
}

TEST(TVireoDriver, EmbeddedConstraintFileIsStored) {
  auto d = NewBaseDriver();
  CallDispatch(d->AsDispatch(), 503822, {Str(u"C:\\boards\\mine.Constraint")});
  EXPECT_EQ(d->CustomConstraintFile(), u"C:\\boards\\mine.Constraint");
}

}  // namespace
}  // namespace s4
