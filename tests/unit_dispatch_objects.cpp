// The two families of COM objects and the dispatch tables they share.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "driver/abstract_device_pin.h"
#include "driver/referenced_object.h"
#include "platform/dispatch_call.h"

namespace s4 {
namespace {

struct Probe : TDispatchObject {
  explicit Probe(bool* destroyed) : destroyed_(destroyed) {}
  ~Probe() override { *destroyed_ = true; }
  bool* destroyed_;
};

TEST(TDispatchObject, CountIsZeroAfterConstructionAndLastReleaseFrees) {
  bool destroyed = false;
  Probe* p = TDispatchObject::Create<Probe>(&destroyed);
  EXPECT_EQ(p->RefCount(), 0);
  EXPECT_EQ(p->AddRef(), 1u);
  EXPECT_EQ(p->Release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(TDispatchObject, DestroyWithOutstandingReferencesIsRefused) {
  bool destroyed = false;
  Probe* p = TDispatchObject::Create<Probe>(&destroyed);
  p->AddRef();
  try {
    p->Destroy();
    FAIL() << "destroying a referenced object must raise";
  } catch (const std::logic_error& e) {
    EXPECT_STREQ(e.what(), "Invalid Pointer");
  }
  EXPECT_FALSE(destroyed) << "the object stays alive";
  p->Release();
  EXPECT_TRUE(destroyed);
}

TEST(TDispatchObject, IsItsOwnIDispatchAndAnswersNotImplemented) {
  bool destroyed = false;
  Probe* p = TDispatchObject::Create<Probe>(&destroyed);
  p->AddRef();
  void* q = nullptr;
  ASSERT_EQ(p->QueryInterface(IID_IDispatch, &q), S_OK);
  EXPECT_EQ(q, static_cast<void*>(p)) << "a pointer to the object is a usable COM pointer";
  EXPECT_EQ(p->RefCount(), 2);
  p->Release();
  EXPECT_EQ(CallDispatch(p, 1).hr, E_NOTIMPL);
  p->Release();
  EXPECT_TRUE(destroyed);
}

struct Owned : TDispatchObjectNoRef {};

TEST(TDispatchObjectNoRef, CountNeverChangesAndTheOwnerFrees) {
  Owned* o = TDispatchObject::Create<Owned>();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(o->AddRef(), 0u);
    EXPECT_EQ(o->Release(), 0u);
  }
  EXPECT_EQ(o->Release(), 0u);
  EXPECT_EQ(o->RefCount(), 0);
  o->Destroy();  // succeeds: nobody holds a count
}

// A minimal family member with a table of its own, to check fallback to the parent's entries
// and replacement of a parent entry.
struct Counter : TAbstractSupportService {
  using Root = TAbstractSupportService;
  const DispatchTableType& DispatchTable() const override {
    static const DispatchTableType table(&TAbstractSupportService::ClassTable(),
                                         {S4_BIND(7, Counter::Next), S4_BIND(1023, Counter::Claim)});
    return table;
  }
  std::int32_t Next() { return ++n; }
  bool Claim(std::u16string_view) { return true; }
  std::int32_t n = 0;
};

TEST(DispatchTable, OwnEntriesFirstThenParent) {
  Counter* c = TAbstractSupportService::Create<Counter>();
  c->AddRef();
  auto r = CallDispatch(c, 7);
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.value.raw().lVal, 1);
  r = CallDispatch(c, 1023, {Variant(u"anything")});
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_TRUE) << "the class's entry replaces the parent's";
  EXPECT_EQ(CallDispatch(c, 8).hr, E_NOTIMPL);
  c->Release();
}

// Operations that fail in different ways, and one whose result is big text.
struct Failing : TAbstractSupportService {
  using Root = TAbstractSupportService;
  const DispatchTableType& DispatchTable() const override {
    static const DispatchTableType table(&TAbstractSupportService::ClassTable(),
                                         {S4_BIND(1, Failing::OutOfMemory), S4_BIND(2, Failing::Logic),
                                          S4_BIND(3, Failing::Anything), S4_BIND(4, Failing::OutOfMemoryWithText)});
    return table;
  }
  std::int32_t OutOfMemory() { throw std::bad_alloc(); }
  std::int32_t Logic() { throw std::logic_error("broken"); }
  std::int32_t Anything() { throw 42; }
  std::u16string OutOfMemoryWithText(std::u16string_view) { throw std::bad_alloc(); }
};

TEST(DispatchTable, EveryFailureInsideAnOperationIsUnexpected) {
  Failing* f = TAbstractSupportService::Create<Failing>();
  f->AddRef();
  const struct { DISPID id; std::vector<Variant> args; const char* what; } cases[] = {
      {1, {}, "memory exhausted"},
      {2, {}, "a logic error"},
      {3, {}, "something that is no exception class"},
      {4, {Variant(u"x")}, "memory exhausted in an operation with a text argument"},
  };
  for (const auto& c : cases) {
    Variant result(std::int32_t(0x0DEADBEE));
    std::vector<VARIANT> block;
    for (auto it = c.args.rbegin(); it != c.args.rend(); ++it) block.push_back(it->raw());
    DISPPARAMS params{block.data(), nullptr, static_cast<UINT>(block.size()), 0};
    EXPECT_EQ(f->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, &params, result.get(), nullptr, nullptr), E_UNEXPECTED)
        << c.what;
    EXPECT_EQ(result.vt(), VT_I4) << c.what << ": VarResult untouched";
    EXPECT_EQ(result.raw().lVal, 0x0DEADBEE) << c.what;
  }
  f->Release();
}

TEST(SupportService, ObjectsWithoutTheInterfaceSupportNothing) {
  bool destroyed = false;
  Probe* p = TDispatchObject::Create<Probe>(&destroyed);
  p->AddRef();
  EXPECT_FALSE(ObjectSupportsService(p, u"DevicePin"));
  EXPECT_FALSE(ObjectSupportsService(nullptr, u"DevicePin"));
  p->Release();
}

}  // namespace
}  // namespace s4
