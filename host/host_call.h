// Calls into the host: every host operation the module uses is declared once, in
// host/host_operations.inc, with its DISPID, argument types and result type. This header turns
// each declaration into a typed function object, s4::host::<Interface>::<Name>, so that no
// DISPID literal or VARIANT conversion appears in the calling code.
//
// How to call the host:
//
//   #include "host/host_call.h"
//   using namespace s4::host;
//   ComPtr<IDispatch> channel = IDispVireoDevice::GetJTagChannel(device);   // Object result
//   if (!channel) return 0;              // an object the host does not give: skip the work
//   IDispJTagChannel::SetInstruction(channel.get(), 2, position);
//
// How to add a host operation:
//
//   1. Add one line to the block of its interface in host/host_operations.inc:
//        S4_HOST_OP(IDispJTagChannel, ShiftData, 503599, std::int32_t, std::int32_t, std::int32_t, std::int32_t)
//      (a new interface gets a new block, named IDisp...).
//   2. Call it as s4::host::IDispJTagChannel::ShiftData(channel, value, bits, index).
//   3. Teach the simulated host to answer it (simhost/sim_dispatch.h: On(DISPID, handler));
//      the constant s4::hostid::IDispJTagChannel::ShiftData names the DISPID there.
//
// Failure rule. A host call whose Invoke fails, whose result cannot be converted to the
// declared type, or whose target is null raises HostCallError. Inside an operation the host
// called, that exception becomes E_UNEXPECTED at the dispatch boundary. A host OBJECT that
// cannot be obtained (no entry point, no module, a getter that answers null) is not an error:
// the caller tests the reference and skips the work, answering empty, 0, false or -1. So test
// the objects you obtain, and let failing calls on objects you have propagate.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "platform/com_ptr.h"
#include "platform/dispatch_call.h"
#include "platform/variant.h"
#include "platform/widestring.h"

namespace s4::host {

using Text = std::u16string_view;        // a string argument
using VarText = WideString&;             // a string argument the host may replace
using Object = ComPtr<IDispatch>;        // a dispatch reference result (null: none)

// A failed host call. The message names the operation and the HRESULT.
class HostCallError : public std::runtime_error {
 public:
  HostCallError(const char* operation, DISPID id, HRESULT hr, const std::string& why);
  DISPID dispid() const { return id_; }
  HRESULT hresult() const { return hr_; }

 private:
  DISPID id_;
  HRESULT hr_;
};

namespace detail {

// One argument as the host receives it. VarText travels as VT_BSTR|VT_BYREF pointing at the
// caller's string, so the host can replace it.
inline Variant ToArg(std::int32_t v) { return Variant(v); }
inline Variant ToArg(std::int64_t v) { return Variant(v); }
inline Variant ToArg(bool v) { return Variant(v); }
inline Variant ToArg(Text v) { return Variant(v); }
inline Variant ToArg(IDispatch* v) { return Variant::Dispatch(v); }
Variant ToArgByRef(WideString& v);

// Result conversions; each throws HostCallError when the VARIANT does not convert.
void FromResult(const char* op, DISPID id, const Variant& v, bool& out);
void FromResult(const char* op, DISPID id, const Variant& v, std::int32_t& out);
void FromResult(const char* op, DISPID id, const Variant& v, std::int64_t& out);
void FromResult(const char* op, DISPID id, const Variant& v, WideString& out);
void FromResult(const char* op, DISPID id, const Variant& v, Object& out);

// Invokes and throws on a null target or a failed call.
CallResult Invoke(const char* op, DISPID id, IDispatch* target, std::span<const Variant> args);

template <class P>
struct ArgOf {
  static Variant Make(P v) { return ToArg(v); }
};
template <>
struct ArgOf<WideString&> {
  static Variant Make(WideString& v) { return ToArgByRef(v); }
};

}  // namespace detail

// One host operation: call it with the target object and the declared arguments.
template <DISPID Id, class R, class... P>
struct HostOp {
  static constexpr DISPID id = Id;
  const char* name;

  R operator()(IDispatch* target, P... args) const {
    const Variant vars[sizeof...(P) == 0 ? 1 : sizeof...(P)] = {detail::ArgOf<P>::Make(args)...};
    CallResult r = detail::Invoke(name, Id, target, std::span<const Variant>(vars, sizeof...(P)));
    if constexpr (!std::is_void_v<R>) {
      R out{};
      detail::FromResult(name, Id, r.value, out);
      return out;
    }
  }
  R operator()(const ComPtr<IDispatch>& target, P... args) const { return (*this)(target.get(), args...); }
};

#define S4_HOST_OP(Interface, Name, Id, Result, ...) \
  namespace Interface {                              \
  inline constexpr HostOp<Id, Result __VA_OPT__(, ) __VA_ARGS__> Name{#Interface "." #Name}; \
  }
#include "host/host_operations.inc"
#undef S4_HOST_OP

}  // namespace s4::host
