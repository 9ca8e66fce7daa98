// The dispatch convention at the boundary: malformed calls are answered with an error code,
// arguments arrive reversed and are converted, results replace what VarResult held.
#include <cstdint>
#include <vector>

#include "platform/path.h"
#include "simhost/sim_dispatch.h"
#include "tests/host_test_folder.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

constexpr DISPID kSupportsService = 1023;
constexpr DISPID kGetDevicePin = 503411;
constexpr DISPID kGetDeviceName = 503380;
constexpr DISPID kSetVireoDevice = 503754;
constexpr DISPID kCustomActionGetState = 503815;
constexpr DISPID kSetEmbeddedConstraintFile = 503822;
constexpr DISPID kCoreGenOutputExtension = 503792;

HRESULT RawInvoke(IDispatch* d, DISPID id, DISPPARAMS* p, VARIANT* result, UINT* argErr = nullptr) {
  return d->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, p, result, nullptr, argErr);
}

// A VarResult that a failing call must leave exactly as it was.
Variant Sentinel() { return Variant(std::int32_t(0x0DEADBEE)); }
bool IsSentinel(const Variant& v) { return v.vt() == VT_I4 && v.raw().lVal == 0x0DEADBEE; }

TEST(Dispatch, UnknownDispidIsNotImplementedAndLeavesTheResult) {
  auto d = Driver(0);
  for (DISPID id : {0, -1, 1, 503378, 503425, 503752, 503823, 999999}) {
    Variant result = Sentinel();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(RawInvoke(d.get(), id, &none, result.get()), E_NOTIMPL) << id;
    EXPECT_TRUE(IsSentinel(result)) << id;
  }
}

TEST(Dispatch, MalformedParameterBlocks) {
  auto d = Driver(0);
  Variant result = Sentinel();
  EXPECT_EQ(RawInvoke(d.get(), kGetDeviceName, nullptr, result.get()), E_POINTER);
  DISPPARAMS missingArray{nullptr, nullptr, 1, 0};
  EXPECT_EQ(RawInvoke(d.get(), kGetDevicePin, &missingArray, result.get()), E_POINTER);
  EXPECT_TRUE(IsSentinel(result));
}

TEST(Dispatch, WrongArgumentCounts) {
  auto d = Driver(0);
  struct Case {
    DISPID id;
    std::vector<Variant> args;
  };
  std::vector<Case> cases;
  cases.push_back({kGetDeviceName, {Variant(std::int32_t(1))}});                        // none expected
  cases.push_back({kGetDevicePin, {}});                                                  // one expected
  cases.push_back({kGetDevicePin, {Variant(std::int32_t(0)), Variant(std::int32_t(1))}});
  cases.push_back({kSupportsService, {}});
  cases.push_back({kCustomActionGetState, {Variant(std::int32_t(0))}});                  // six expected
  for (auto& c : cases) {
    Variant result = Sentinel();
    auto r = CallDispatch(d.get(), c.id, std::span<const Variant>(c.args));
    EXPECT_EQ(r.hr, DISP_E_BADPARAMCOUNT) << c.id << " with " << c.args.size() << " arguments";
  }
}

TEST(Dispatch, UnconvertibleArgumentsNameTheirPosition) {
  auto d = Driver(0);
  auto r = CallDispatch(d.get(), kGetDevicePin, {Variant(u"first")});
  EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(r.argErr, 0u);
  r = CallDispatch(d.get(), kGetDevicePin, {Variant(std::int64_t(1) << 40)});
  EXPECT_EQ(r.hr, DISP_E_OVERFLOW);
  r = CallDispatch(d.get(), kSetVireoDevice, {Variant(std::int32_t(5))});
  EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH) << "a number is no object";
  r = CallDispatch(d.get(), kGetDevicePin, {Variant::Dispatch(d.get())});
  EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH) << "an object without a value property is no number";
  // RemoveSoftBreakpoint(Index, Address, Value): the bad Address is array element 1.
  r = CallDispatch(d.get(), 508553, {Variant(std::int32_t(0)), Variant(u"nowhere"), Variant(std::int64_t(0))});
  EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(r.argErr, 1u);
}

// Arrays arrive where every operation takes a scalar: refused as a type mismatch before any
// conversion reads the array's descriptor as a text (a heap over-read), an object (a call
// through its "method table") or a number (the pointer's bits).
TEST(Dispatch, ArraysAreNeverScalars) {
  auto d = Driver(0);
  // Stands for a SAFEARRAY descriptor: heap memory of descriptor size, zeroed, so reading it
  // as a BSTR, an object or a number shows under the sanitizers or crashes.
  std::vector<std::uint8_t> descriptor(24, 0);
  void* array = descriptor.data();
  VARIANT arrayInVariant;
  VariantInit(&arrayInVariant);
  arrayInVariant.vt = VT_ARRAY | VT_I4;
  arrayInVariant.byref = array;
  struct Case {
    const char* what;
    DISPID id;
    std::size_t argCount;
    std::size_t position;  // element of the reversed block that holds the array
    VARTYPE vt;
    void* value;           // the union's pointer
  };
  const Case cases[] = {
      {"text parameter, BSTR array by reference", kSupportsService, 1, 0, VT_ARRAY | VT_BSTR | VT_BYREF, &array},
      {"text parameter, BSTR array", kSupportsService, 1, 0, VT_ARRAY | VT_BSTR, array},
      {"text parameter, object array by reference", kSupportsService, 1, 0, VT_ARRAY | VT_DISPATCH | VT_BYREF, &array},
      {"integer parameter, I4 array by reference", kGetDevicePin, 1, 0, VT_ARRAY | VT_I4 | VT_BYREF, &array},
      {"integer parameter, I4 array", kGetDevicePin, 1, 0, VT_ARRAY | VT_I4, array},
      {"integer parameter, object array by reference", kGetDevicePin, 1, 0, VT_ARRAY | VT_DISPATCH | VT_BYREF, &array},
      {"integer parameter, BSTR array by reference", kGetDevicePin, 1, 0, VT_ARRAY | VT_BSTR | VT_BYREF, &array},
      {"integer parameter, array behind a VARIANT reference", kGetDevicePin, 1, 0, VT_VARIANT | VT_BYREF, &arrayInVariant},
      {"object parameter, object array by reference", kSetVireoDevice, 1, 0, VT_ARRAY | VT_DISPATCH | VT_BYREF, &array},
      {"object parameter, object array", kSetVireoDevice, 1, 0, VT_ARRAY | VT_DISPATCH, array},
      {"object parameter, unknown array", kSetVireoDevice, 1, 0, VT_ARRAY | VT_UNKNOWN, array},
      {"64-bit parameter, I8 array by reference", 508552 /* AddSoftBreakpoint(Index, Address) */, 2, 0,
       VT_ARRAY | VT_I8 | VT_BYREF, &array},
      // CustomAction_GetState(Index, Flag1, Flag2, Flag3, Value1, Value2), reversed.
      {"in-out flag, BOOL array by reference", kCustomActionGetState, 6, 2, VT_ARRAY | VT_BOOL | VT_BYREF, &array},
      {"value passed as it lies, VARIANT array", kCustomActionGetState, 6, 0, VT_ARRAY | VT_VARIANT, array},
  };
  VARIANT_BOOL flags[3] = {VARIANT_TRUE, VARIANT_TRUE, VARIANT_TRUE};
  for (const auto& c : cases) {
    std::vector<VARIANT> block(c.argCount);
    for (std::size_t i = 0; i < block.size(); ++i) {
      VARIANT& v = block[i];
      VariantInit(&v);
      if (i == c.position) {
        v.vt = c.vt;
        v.byref = c.value;
      } else if (c.id == kCustomActionGetState && i >= 2 && i <= 4) {
        v.vt = VT_BOOL | VT_BYREF;  // the flags it writes back must point somewhere
        v.pboolVal = &flags[i - 2];
      } else {
        v.vt = VT_I4;
        v.lVal = 0;
      }
    }
    DISPPARAMS params{block.data(), nullptr, static_cast<UINT>(block.size()), 0};
    Variant result = Sentinel();
    UINT argErr = 99;
    EXPECT_EQ(RawInvoke(d.get(), c.id, &params, result.get(), &argErr), DISP_E_TYPEMISMATCH) << c.what;
    EXPECT_TRUE(IsSentinel(result)) << c.what;
    EXPECT_EQ(argErr, c.position) << c.what << ": *puArgErr names the array";
  }
}

// The answers the automation rules give for malformed values, through Invoke (they are in the
// README's table of bad calls).
TEST(Dispatch, MalformedValuesAreRefused) {
  auto d = Driver(0);
  VARIANT byrefInner;
  VariantInit(&byrefInner);
  std::int32_t three = 3;
  byrefInner.vt = VT_I4 | VT_BYREF;
  byrefInner.plVal = reinterpret_cast<LONG*>(&three);
  struct Case {
    const char* what;
    VARTYPE vt;
    void* value;
    HRESULT hr;
  };
  const Case cases[] = {
      {"a type the automation rules do not know", VARTYPE(0x7F), nullptr, DISP_E_BADVARTYPE},
      {"a reference to an integer that points nowhere", VT_I4 | VT_BYREF, nullptr, E_INVALIDARG},
      {"a reference to text that points nowhere", VT_BSTR | VT_BYREF, nullptr, E_INVALIDARG},
      {"a null object where a number is wanted", VT_DISPATCH, nullptr, DISP_E_BADVARTYPE},
  };
  for (const auto& c : cases) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = c.vt;
    arg.byref = c.value;
    DISPPARAMS one{&arg, nullptr, 1, 0};
    Variant result = Sentinel();
    UINT argErr = 99;
    EXPECT_EQ(RawInvoke(d.get(), kGetDevicePin, &one, result.get(), &argErr), c.hr) << c.what;
    EXPECT_EQ(argErr, 0u) << c.what;
    EXPECT_TRUE(IsSentinel(result)) << c.what;
  }
}

TEST(Dispatch, MissingOptionalArgumentIsNotOptional) {
  auto d = Driver(0);
  Variant missing = Variant::OfType(VT_ERROR);
  missing.get()->scode = DISP_E_PARAMNOTFOUND;
  auto r = CallDispatch(d.get(), kGetDevicePin, {missing});
  EXPECT_EQ(r.hr, DISP_E_PARAMNOTOPTIONAL);
}

TEST(Dispatch, ArgumentsAreConvertedFromTheirVariants) {
  auto d = Driver(0);
  // Text "12" becomes the integer index; a number becomes the text of a name.
  EXPECT_EQ(CallDispatch(d.get(), kGetDevicePin, {Variant(u"12")}).hr, S_OK);
  auto r = CallDispatch(d.get(), kSupportsService, {Variant(std::int32_t(5))});
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_FALSE);
  // By reference.
  WideString name(u"vireodriver");
  BSTR b = name.get();
  Variant ref = Variant::OfType(VT_BSTR | VT_BYREF);
  ref.get()->pbstrVal = &b;
  r = CallDispatch(d.get(), kSupportsService, {ref});
  ref.detach();
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_TRUE);
}

TEST(Dispatch, ArgumentsArriveInReverseOrder) {
  // CustomAction_GetState(Index, Flag1, Flag2, Flag3, Value1, Value2) sets the first and third
  // flag to False and leaves the second as the host passed it.
  auto d = Driver(0);
  VARIANT_BOOL flags[3] = {VARIANT_TRUE, VARIANT_TRUE, VARIANT_TRUE};
  std::vector<Variant> args;
  args.emplace_back(std::int32_t(0));
  for (auto& f : flags) {
    Variant v = Variant::OfType(VT_BOOL | VT_BYREF);
    v.get()->pboolVal = &f;
    args.push_back(std::move(v));
  }
  args.emplace_back(std::int32_t(1));
  args.emplace_back(std::int32_t(2));
  auto r = CallDispatch(d.get(), kCustomActionGetState, args);
  for (auto& a : args)
    if (a.vt() & VT_BYREF) a.detach();
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(flags[0], VARIANT_FALSE);
  EXPECT_EQ(flags[1], VARIANT_TRUE);
  EXPECT_EQ(flags[2], VARIANT_FALSE);
}

TEST(Dispatch, ResultReplacesAndReleasesWhatVarResultHeld) {
  auto d = Driver(0);
  Variant result(u"old text that must be freed");
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  ASSERT_EQ(RawInvoke(d.get(), kCoreGenOutputExtension, &none, result.get()), S_OK);
  EXPECT_EQ(Text(result), ".VHD");
}

TEST(Dispatch, NullVarResultStillRunsTheOperation) {
  auto d = Driver(3);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  // SetVireoDevice answers a boolean, dropped here; the device it stores is what
  // GetVireoDevice answers afterwards.
  auto device = sim::SimObject::Make("device");
  VARIANT deviceArg;
  VariantInit(&deviceArg);
  deviceArg.vt = VT_DISPATCH;
  deviceArg.pdispVal = device->dispatch();
  DISPPARAMS withDevice{&deviceArg, nullptr, 1, 0};
  ASSERT_EQ(RawInvoke(d.get(), kSetVireoDevice, &withDevice, nullptr), S_OK);
  Variant attached;
  ASSERT_EQ(RawInvoke(d.get(), 503753 /* GetVireoDevice */, &none, attached.get()), S_OK);
  ASSERT_EQ(attached.vt(), VT_DISPATCH);
  EXPECT_EQ(attached.raw().pdispVal, device->dispatch());
  // An operation without output: the file it stores is the one the driver then offers.
  TempFolder tmp;
  const std::u16string custom = ToHostPath(tmp.Write("mine.Constraint", ""));
  Variant file{std::u16string_view(custom)};
  VARIANT fileArg = file.raw();
  DISPPARAMS withFile{&fileArg, nullptr, 1, 0};
  ASSERT_EQ(RawInvoke(d.get(), kSetEmbeddedConstraintFile, &withFile, nullptr), S_OK);
  EXPECT_EQ(Text(CallDispatch(d.get(), 503821 /* GetEmbeddedConstraintFile */).value), Utf16ToUtf8(custom));
  // Drivers are never freed: let the device go again.
  VARIANT nothing;
  VariantInit(&nothing);
  nothing.vt = VT_DISPATCH;
  nothing.pdispVal = nullptr;
  DISPPARAMS withNothing{&nothing, nullptr, 1, 0};
  EXPECT_EQ(RawInvoke(d.get(), kSetVireoDevice, &withNothing, nullptr), S_OK);
}

TEST(Dispatch, OperationsWithoutOutputLeaveVarResultUntouched) {
  auto d = Driver(0);
  Variant file(u"x");
  VARIANT arg = file.raw();
  DISPPARAMS one{&arg, nullptr, 1, 0};
  Variant result = Sentinel();
  EXPECT_EQ(RawInvoke(d.get(), kSetEmbeddedConstraintFile, &one, result.get()), S_OK);
  EXPECT_TRUE(IsSentinel(result));
}

TEST(Dispatch, FailingOperationAnswersUnexpectedAndLeavesTheResult) {
  // Processor control needs a host device; without one the register read fails inside.
  auto d = Driver(0);
  Variant result = Sentinel();
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(RawInvoke(d.get(), 503800 /* ProcessorIsPaused */, &none, result.get()), E_UNEXPECTED);
  EXPECT_TRUE(IsSentinel(result));
}

TEST(Dispatch, ServiceNamesOfTheDriver) {
  auto d = Driver(0);
  const struct { const char16_t* name; bool expected; } cases[] = {
      {u"DeviceInformation", true}, {u"VIREODRIVER", true}, {u"vireodriver", true},
      {u"DevicePin", false}, {u"SupportService", false}, {u"", false}};
  for (const auto& c : cases) {
    auto r = CallDispatch(d.get(), kSupportsService, {Variant(c.name)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt(), VT_BOOL);
    EXPECT_EQ(r.value.raw().boolVal != VARIANT_FALSE, c.expected) << Utf16ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace s4::test
