// SimObject: a host object of the simulated host. It answers Invoke from a table of handlers
// keyed by DISPID and records every call it receives, so that a test states what the host
// answers and then checks what the module sent.
//
//   auto device = s4::sim::SimObject::Make("device");
//   device->Answer(s4::hostid::IDispVireoDevice::GetChainPosition, s4::Variant(std::int32_t(0)));
//   device->On(s4::hostid::IDispVireoDevice::ReadDebugRegister, [&](s4::sim::SimCall& c) {
//     return s4::Variant(std::int32_t(regs[c.Int(0)]));
//   });
//   ... drive the module ...
//   EXPECT_EQ(device->CountOf(s4::hostid::IDispVireoDevice::WriteDebugRegister), 2u);
//
// A DISPID without a handler answers E_NOTIMPL (and is still recorded). Every call is also
// appended to one process-wide journal, so tests can check the order of calls across objects
// (for example: channel open, register read, register write, channel close).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"

namespace s4::sim {

// One call as received: the arguments in call order (copies; by-reference strings are read
// through when the call is recorded).
struct RecordedCall {
  std::string object;
  DISPID id = 0;
  std::vector<Variant> args;

  std::int32_t Int(std::size_t i) const;
  bool Bool(std::size_t i) const;
  std::u16string Text(std::size_t i) const;
  IDispatch* Object(std::size_t i) const;
};

// What a handler sees: the recorded call plus the live arguments, so it can write back to a
// by-reference string argument.
class SimCall : public RecordedCall {
 public:
  // Replaces the caller's string of a by-reference text argument; throws when argument i is
  // not one.
  void SetVarText(std::size_t i, std::u16string_view text);
  std::vector<VARIANT*> live;  // call order
};

class SimObject : public IDispatch {
 public:
  using Handler = std::function<Variant(SimCall&)>;

  static ComPtr<SimObject> Make(std::string name);

  // Installs the handler of a DISPID (replacing one there was).
  SimObject& On(DISPID id, Handler h);
  // A constant answer.
  SimObject& Answer(DISPID id, Variant v);
  // The call fails with this HRESULT.
  SimObject& Fail(DISPID id, HRESULT hr);
  // Forgets every handler and every recorded call.
  void Reset();

  const std::string& name() const { return name_; }
  const std::vector<RecordedCall>& Calls() const { return calls_; }
  std::vector<RecordedCall> CallsTo(DISPID id) const;
  std::size_t CountOf(DISPID id) const;
  void ClearCalls() { calls_.clear(); }

  // This object as the module sees it.
  IDispatch* dispatch() { return this; }

  // The journal of every call to every SimObject, in order.
  static std::vector<RecordedCall>& Journal();

  // IUnknown / IDispatch
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT* argErr) override;

 private:
  explicit SimObject(std::string name) : name_(std::move(name)) {}
  virtual ~SimObject() = default;

  std::string name_;
  std::map<DISPID, Handler> handlers_;
  std::vector<RecordedCall> calls_;
  long refs_ = 1;
};

// A result value helper: an object reference as a VARIANT (null gives VT_DISPATCH null).
Variant ObjectResult(const ComPtr<SimObject>& o);

}  // namespace s4::sim
