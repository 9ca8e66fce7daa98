#include "host/host_call.h"

namespace s4::host {

namespace {
std::string Describe(const char* operation, DISPID id, HRESULT hr, const std::string& why) {
  std::string s = std::string("host call ") + operation + " (" + std::to_string(id) + ") failed";
  if (hr != S_OK) s += ": " + HresultName(hr);
  if (!why.empty()) s += ": " + why;
  return s;
}
}  // namespace

HostCallError::HostCallError(const char* operation, DISPID id, HRESULT hr, const std::string& why)
    : std::runtime_error(Describe(operation, id, hr, why)), id_(id), hr_(hr) {}

namespace detail {

Variant ToArgByRef(WideString& v) {
  // The BSTR slot of the WideString is handed out by address; the host frees the old string
  // and stores a new one there, as by-reference strings work in automation.
  VARIANT raw;
  VariantInit(&raw);
  raw.vt = VT_BSTR | VT_BYREF;
  raw.pbstrVal = reinterpret_cast<BSTR*>(&v);
  static_assert(sizeof(WideString) == sizeof(BSTR), "WideString must be exactly one BSTR");
  return Variant::Adopt(raw);
}

CallResult Invoke(const char* op, DISPID id, IDispatch* target, std::span<const Variant> args) {
  if (!target) throw HostCallError(op, id, E_POINTER, "no host object");
  CallResult r = CallDispatch(target, id, args);
  if (FAILED(r.hr)) throw HostCallError(op, id, r.hr, {});
  return r;
}

namespace {
[[noreturn]] void BadResult(const char* op, DISPID id, const Variant& v, const char* wanted) {
  throw HostCallError(op, id, DISP_E_TYPEMISMATCH,
                      std::string("answered ") + VarTypeName(v.vt()) + ", wanted " + wanted);
}
}  // namespace

void FromResult(const char* op, DISPID id, const Variant& v, bool& out) {
  if (FAILED(v.ToBool(out))) BadResult(op, id, v, "a boolean");
}
void FromResult(const char* op, DISPID id, const Variant& v, std::int32_t& out) {
  if (FAILED(v.ToInt32(out))) BadResult(op, id, v, "an integer");
}
void FromResult(const char* op, DISPID id, const Variant& v, std::int64_t& out) {
  if (FAILED(v.ToInt64(out))) BadResult(op, id, v, "a 64-bit integer");
}
void FromResult(const char* op, DISPID id, const Variant& v, WideString& out) {
  // A host that answers nothing for a text answers the empty text.
  if (v.vt() == VT_EMPTY || v.vt() == VT_NULL) {
    out = WideString();
    return;
  }
  std::u16string s;
  if (FAILED(v.ToText(s))) BadResult(op, id, v, "a text");
  out = WideString(s);
}
void FromResult(const char* op, DISPID id, const Variant& v, Object& out) {
  const VARIANT& raw = v.raw();
  switch (raw.vt) {
    case VT_EMPTY:
    case VT_NULL: out.reset(); return;
    case VT_DISPATCH: out = ComPtr<IDispatch>::Share(raw.pdispVal); return;
    case VT_UNKNOWN:
      out = raw.punkVal ? ComPtr<IUnknown>::Share(raw.punkVal).As<IDispatch>(IID_IDispatch) : Object();
      if (raw.punkVal && !out) BadResult(op, id, v, "a dispatch reference");
      return;
    default: BadResult(op, id, v, "a dispatch reference");
  }
}

}  // namespace detail
}  // namespace s4::host
