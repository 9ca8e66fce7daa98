// The two exports and the identity of the driver objects they hand out.
#include "host/host_dispids.h"
#include "simhost/sim_host.h"
#include "tests/module_fixture.h"

namespace s4::test {

// Calls method `slot` of a COM interface through its table of function pointers, as a host
// written in C does: the object pointer is the first argument. This does not depend on the
// C++ types the module uses for its interfaces.
template <class R, class... A>
R CallSlot(void* iface, int slot, A... args) {
  using Fn = R(STDMETHODCALLTYPE*)(void*, A...);
  Fn fn = reinterpret_cast<Fn>((*static_cast<void***>(iface))[slot]);
  return fn(iface, args...);
}
constexpr int kSupportsServiceSlot = 3, kMemoryReadSlot = 3, kMemoryWriteSlot = 4;
constexpr int kAddRefSlot = 1, kReleaseSlot = 2;

namespace {

// {1DEBA58E-0DF5-4081-93E9-0C1732E7DFAE} and {DE05D751-32F9-4557-A7B6-678A8280E274}; the
// test spells them out itself rather than taking the module's headers.
constexpr IID kISupportService = {0x1DEBA58E, 0x0DF5, 0x4081, {0x93, 0xE9, 0x0C, 0x17, 0x32, 0xE7, 0xDF, 0xAE}};
constexpr IID kIDriverMemoryAccess = {0xDE05D751, 0x32F9, 0x4557, {0xA7, 0xB6, 0x67, 0x8A, 0x82, 0x80, 0xE2, 0x74}};
constexpr IID kSomethingElse = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST(Exports, DriverCountIs486) {
  std::int32_t n = 0;
  EXPECT_EQ(Module().CallDriverCount(&n), S_OK);
  EXPECT_EQ(n, 486);
  EXPECT_EQ(Module().CallDriverCount(nullptr), E_POINTER);
}

TEST(Exports, KindsOutsideTheRangeAnswerNullWithSuccess) {
  for (std::int32_t kind : {-1, 486, 100000, INT32_MIN}) {
    auto* stale = reinterpret_cast<IDispatch*>(0xdeadbeef);
    IDispatch* d = stale;
    EXPECT_EQ(Module().CallGetDriver(kind, &d), S_OK) << kind;
    EXPECT_EQ(d, nullptr) << "the out value is overwritten, not released, for kind " << kind;
  }
}

TEST(Exports, EveryKindInTheRangeAnswersADriver) {
  for (std::int32_t kind : {0, 1, 242, 485}) {
    IDispatch* d = nullptr;
    EXPECT_EQ(Module().CallGetDriver(kind, &d), S_OK) << kind;
    EXPECT_NE(d, nullptr) << kind;
  }
}

// Building a driver asks the host for its main window; a host that fails that call makes the
// construction fail, which the export answers with E_UNEXPECTED and no driver.
TEST(Exports, FailedConstructionAnswersUnexpectedAndNoDriver) {
  auto& host = sim::SimHost::Configure({});
  host.client->Fail(hostid::IDispClient::GetMainWindowHandle, E_FAIL);
  IDispatch* d = reinterpret_cast<IDispatch*>(0xdeadbeef);
  const HRESULT hr = Module().CallGetDriver(5, &d);
  sim::SimHost::Configure({});
  EXPECT_EQ(hr, E_UNEXPECTED);
  EXPECT_EQ(d, nullptr);
  // The module keeps working once the host answers again.
  d = nullptr;
  EXPECT_EQ(Module().CallGetDriver(5, &d), S_OK);
  EXPECT_NE(d, nullptr);
}

TEST(Exports, NullOutPointerIsRefused) { EXPECT_EQ(Module().CallGetDriver(0, nullptr), E_POINTER); }

TEST(Exports, EachCallMakesANewDriver) {
  auto a = Driver(7);
  auto b = Driver(7);
  ASSERT_TRUE(a && b);
  EXPECT_NE(a.get(), b.get());
}

TEST(DriverIdentity, AddRefAndReleaseAnswerMinusOneAndChangeNothing) {
  IDispatch* d = nullptr;
  ASSERT_EQ(Module().CallGetDriver(0, &d), S_OK);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(static_cast<std::int32_t>(d->AddRef()), -1);
    EXPECT_EQ(static_cast<std::int32_t>(d->Release()), -1);
  }
  for (int i = 0; i < 5; ++i) EXPECT_EQ(static_cast<std::int32_t>(d->Release()), -1);
  auto r = CallDispatch(d, 1023, {Variant(u"VireoDriver")});
  ASSERT_EQ(r.hr, S_OK) << "the driver still answers after any number of releases";
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_TRUE);
}

TEST(DriverIdentity, QueryInterfaceAnswersTheFourDeclaredInterfaces) {
  auto d = Driver(0);
  void* p = nullptr;
  ASSERT_EQ(d->QueryInterface(IID_IUnknown, &p), S_OK);
  auto* unk = static_cast<IUnknown*>(p);
  ASSERT_EQ(d->QueryInterface(IID_IDispatch, &p), S_OK);
  EXPECT_EQ(p, d.get());
  // The same object behind every interface: IUnknown of each is the same pointer.
  for (const IID* iid : {&kISupportService, &kIDriverMemoryAccess}) {
    void* q = nullptr;
    ASSERT_EQ(d->QueryInterface(*iid, &q), S_OK);
    EXPECT_EQ(static_cast<std::int32_t>(CallSlot<ULONG>(q, kAddRefSlot)), -1);
    EXPECT_EQ(static_cast<std::int32_t>(CallSlot<ULONG>(q, kReleaseSlot)), -1);
    void* back = nullptr;
    ASSERT_EQ((CallSlot<HRESULT, const IID*, void**>(q, 0, &IID_IUnknown, &back)), S_OK);
    EXPECT_EQ(back, unk);
  }
  p = reinterpret_cast<void*>(0xdeadbeef);
  EXPECT_EQ(d->QueryInterface(kSomethingElse, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(d->QueryInterface(IID_IDispatch, nullptr), E_POINTER);
}

TEST(DriverIdentity, SupportServiceInterfaceAnswersTheServiceNames) {
  auto d = Driver(0);
  void* q = nullptr;
  ASSERT_EQ(d->QueryInterface(kISupportService, &q), S_OK);
  const struct { const char16_t* name; std::uint8_t expected; } cases[] = {
      {u"VireoDriver", 1}, {u"deviceinformation", 1}, {u"DevicePin", 0}, {u"", 0}, {u"VireoDriverX", 0}};
  for (const auto& c : cases) {
    WideString name(c.name);
    std::uint8_t answer = 7;
    EXPECT_EQ((CallSlot<HRESULT, BSTR, std::uint8_t*>(q, kSupportsServiceSlot, name.get(), &answer)), S_OK);
    EXPECT_EQ(answer, c.expected) << Utf16ToUtf8(c.name);
  }
  EXPECT_EQ((CallSlot<HRESULT, BSTR, std::uint8_t*>(q, kSupportsServiceSlot, nullptr, nullptr)), E_POINTER);
}

TEST(DriverIdentity, MemoryAccessAnswersZero) {
  auto d = Driver(0);
  void* q = nullptr;
  ASSERT_EQ(d->QueryInterface(kIDriverMemoryAccess, &q), S_OK);
  using U = std::uint32_t;
  U out = 99;
  EXPECT_EQ((CallSlot<HRESULT, U, U, U, U, U, U*>(q, kMemoryReadSlot, 1, 2, 3, 4, 5, &out)), S_OK);
  EXPECT_EQ(out, 0u);
  out = 99;
  EXPECT_EQ((CallSlot<HRESULT, U, U, U, U, U, U*>(q, kMemoryWriteSlot, 1, 2, 3, 4, 5, &out)), S_OK);
  EXPECT_EQ(out, 0u);
}

TEST(DriverIdentity, TypeInformationIsNotImplemented) {
  auto d = Driver(0);
  UINT n = 5;
  EXPECT_EQ(d->GetTypeInfoCount(&n), E_NOTIMPL);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(0x1);
  EXPECT_EQ(d->GetTypeInfo(0, 0, &info), E_NOTIMPL);
  EXPECT_EQ(info, nullptr);
  OLECHAR name[] = {u'x', 0};
  LPOLESTR names[] = {reinterpret_cast<LPOLESTR>(name)};
  DISPID id = 0;
  EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), E_NOTIMPL);
}

}  // namespace
}  // namespace s4::test
