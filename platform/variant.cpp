#include "platform/variant.h"

#include <cstdio>

#include "platform/widestring.h"

namespace s4 {

Variant::Variant(std::u16string_view s) : Variant() {
  v_.vt = VT_BSTR;
  v_.bstrVal = WideString(s).detach();
}

Variant Variant::Dispatch(IDispatch* p) {
  Variant v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = p;
  if (p) p->AddRef();
  return v;
}

namespace {
template <class T>
HRESULT Change(const VARIANT& src, VARTYPE vt, T&& store) {
  VARIANT tmp;
  VariantInit(&tmp);
  HRESULT hr = VariantChangeType(&tmp, &src, 0, vt);
  if (SUCCEEDED(hr)) store(tmp);
  VariantClear(&tmp);
  return hr;
}
}  // namespace

HRESULT Variant::ToInt32(std::int32_t& out) const {
  return Change(v_, VT_I4, [&](const VARIANT& t) { out = t.lVal; });
}
HRESULT Variant::ToInt64(std::int64_t& out) const {
  return Change(v_, VT_I8, [&](const VARIANT& t) { out = t.llVal; });
}
HRESULT Variant::ToBool(bool& out) const {
  return Change(v_, VT_BOOL, [&](const VARIANT& t) { out = t.boolVal != VARIANT_FALSE; });
}
HRESULT Variant::ToText(std::u16string& out) const {
  return Change(v_, VT_BSTR, [&](const VARIANT& t) { out = std::u16string(BstrView(t.bstrVal)); });
}

std::string VarTypeName(VARTYPE vt) {
  static const struct { VARTYPE t; const char* n; } names[] = {
      {VT_EMPTY, "VT_EMPTY"}, {VT_NULL, "VT_NULL"}, {VT_I2, "VT_I2"}, {VT_I4, "VT_I4"},
      {VT_R4, "VT_R4"}, {VT_R8, "VT_R8"}, {VT_CY, "VT_CY"}, {VT_DATE, "VT_DATE"},
      {VT_BSTR, "VT_BSTR"}, {VT_DISPATCH, "VT_DISPATCH"}, {VT_ERROR, "VT_ERROR"},
      {VT_BOOL, "VT_BOOL"}, {VT_VARIANT, "VT_VARIANT"}, {VT_UNKNOWN, "VT_UNKNOWN"},
      {VT_I1, "VT_I1"}, {VT_UI1, "VT_UI1"}, {VT_UI2, "VT_UI2"}, {VT_UI4, "VT_UI4"},
      {VT_I8, "VT_I8"}, {VT_UI8, "VT_UI8"}, {VT_INT, "VT_INT"}, {VT_UINT, "VT_UINT"},
  };
  std::string s;
  for (const auto& e : names)
    if (e.t == (vt & VT_TYPEMASK)) s = e.n;
  if (s.empty()) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "VT_0x%X", unsigned(vt & VT_TYPEMASK));
    s = buf;
  }
  if (vt & VT_ARRAY) s += "|VT_ARRAY";
  if (vt & VT_BYREF) s += "|VT_BYREF";
  return s;
}

std::string DescribeValue(const VARIANT& v) {
  char buf[64];
  switch (v.vt) {
    case VT_EMPTY: return "";
    case VT_NULL: return "null";
    case VT_I2: return std::to_string(v.iVal);
    case VT_I4: {
      std::snprintf(buf, sizeof buf, "%d (0x%08X)", int(v.lVal), unsigned(v.lVal));
      return buf;
    }
    case VT_UI4: return std::to_string(v.ulVal);
    case VT_I8: return std::to_string(v.llVal);
    case VT_R8: {
      std::snprintf(buf, sizeof buf, "%.17g", v.dblVal);
      return buf;
    }
    case VT_BOOL: return v.boolVal ? "True" : "False";
    case VT_BSTR: return "\"" + Utf16ToUtf8(BstrView(v.bstrVal)) + "\"";
    case VT_DISPATCH: case VT_UNKNOWN: {
      if (!v.punkVal) return "null";
      std::snprintf(buf, sizeof buf, "object %p", static_cast<void*>(v.punkVal));
      return buf;
    }
    default: return "?";
  }
}

std::string HresultName(HRESULT hr) {
  static const struct { HRESULT h; const char* n; } names[] = {
      {S_OK, "S_OK"}, {S_FALSE, "S_FALSE"}, {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"}, {E_POINTER, "E_POINTER"}, {E_FAIL, "E_FAIL"},
      {E_UNEXPECTED, "E_UNEXPECTED"}, {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_INVALIDARG, "E_INVALIDARG"}, {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
      {DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND"}, {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
      {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE"}, {DISP_E_EXCEPTION, "DISP_E_EXCEPTION"},
      {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"}, {DISP_E_PARAMNOTOPTIONAL, "DISP_E_PARAMNOTOPTIONAL"},
      {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"}, {DISP_E_NONAMEDARGS, "DISP_E_NONAMEDARGS"},
  };
  for (const auto& e : names)
    if (e.h == hr) return e.n;
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", unsigned(hr));
  return buf;
}

}  // namespace s4
