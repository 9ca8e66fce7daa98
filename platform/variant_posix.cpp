// VARIANT handling away from Windows, following the automation library's rules for the
// types the module uses: clearing and copying with ownership of BSTRs and interfaces, and
// VariantChangeType between numbers, booleans, text and interfaces, through references.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "platform/com.h"

namespace {

bool IsKnownBaseType(VARTYPE t) {
  switch (t) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

// A number read from a VARIANT, kept exact where it is an integer.
struct Number {
  enum Kind { kSigned, kUnsigned, kReal } kind = kSigned;
  std::int64_t s = 0;
  std::uint64_t u = 0;
  double r = 0;
};

Number Signed(std::int64_t v) { Number n; n.kind = Number::kSigned; n.s = v; return n; }
Number Unsigned(std::uint64_t v) { Number n; n.kind = Number::kUnsigned; n.u = v; return n; }
Number Real(double v) { Number n; n.kind = Number::kReal; n.r = v; return n; }

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0; }

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Text to number: optional sign, "&H" hexadecimal or "&O" octal integers, or decimal digits
// with thousands separators in the integer part, a fraction and an exponent.
HRESULT ParseNumber(std::u16string_view text, Number& out) {
  std::u16string_view s = Trim(text);
  if (s.empty()) return DISP_E_TYPEMISMATCH;
  if (s.size() > 2 && s[0] == u'&' && (Lower(s[1]) == u'h' || Lower(s[1]) == u'o')) {
    const unsigned base = Lower(s[1]) == u'h' ? 16 : 8;
    std::uint64_t v = 0;
    for (char16_t c : s.substr(2)) {
      unsigned d;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      else if (base == 16 && Lower(c) >= u'a' && Lower(c) <= u'f') d = Lower(c) - u'a' + 10;
      else return DISP_E_TYPEMISMATCH;
      if (d >= base) return DISP_E_TYPEMISMATCH;
      if (v > (std::numeric_limits<std::uint64_t>::max() - d) / base) return DISP_E_OVERFLOW;
      v = v * base + d;
    }
    // Hexadecimal and octal literals of up to 32 bits are read as 32-bit two's complement,
    // as the automation library does ("&HFFFFFFFF" is -1).
    if (v <= 0xFFFFFFFFu) {
      out = Signed(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
      return S_OK;
    }
    out = Unsigned(v);
    return S_OK;
  }
  std::string ascii;  // a plain C-locale rendering for strtod
  std::size_t i = 0;
  bool negative = false;
  if (s[i] == u'+' || s[i] == u'-') {
    negative = s[i] == u'-';
    ascii.push_back(char(s[i]));
    ++i;
  }
  bool digits = false, fraction = false;
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ascii.push_back(char(c));
      digits = true;
    } else if (c == u',' && digits && !fraction) {
      continue;  // thousands separator
    } else if (c == u'.' && !fraction) {
      ascii.push_back('.');
      fraction = true;
    } else {
      break;
    }
  }
  if (!digits) return DISP_E_TYPEMISMATCH;
  bool exponent = false;
  if (i < s.size() && Lower(s[i]) == u'e') {
    ascii.push_back('e');
    ++i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ascii.push_back(char(s[i++]));
    bool expDigits = false;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
      ascii.push_back(char(s[i]));
      expDigits = true;
    }
    if (!expDigits) return DISP_E_TYPEMISMATCH;
    exponent = true;
  }
  if (i != s.size()) return DISP_E_TYPEMISMATCH;
  if (!fraction && !exponent) {
    errno = 0;
    if (negative) {
      const long long v = std::strtoll(ascii.c_str(), nullptr, 10);
      if (errno != ERANGE) { out = Signed(v); return S_OK; }
    } else {
      const unsigned long long v = std::strtoull(ascii.c_str(), nullptr, 10);
      if (errno != ERANGE) { out = Unsigned(v); return S_OK; }
    }
  }
  errno = 0;
  const double d = std::strtod(ascii.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(d)) return DISP_E_OVERFLOW;
  out = Real(d);
  return S_OK;
}

// Reads the value of a non-reference VARIANT as a number.
HRESULT ToNumber(const VARIANT& v, Number& out) {
  switch (v.vt) {
    case VT_EMPTY: out = Signed(0); return S_OK;
    case VT_I1: out = Signed(v.cVal); return S_OK;
    case VT_I2: out = Signed(v.iVal); return S_OK;
    case VT_I4: case VT_INT: case VT_ERROR: out = Signed(v.lVal); return S_OK;
    case VT_I8: out = Signed(v.llVal); return S_OK;
    case VT_UI1: out = Unsigned(v.bVal); return S_OK;
    case VT_UI2: out = Unsigned(v.uiVal); return S_OK;
    case VT_UI4: case VT_UINT: out = Unsigned(v.ulVal); return S_OK;
    case VT_UI8: out = Unsigned(v.ullVal); return S_OK;
    case VT_R4: out = Real(v.fltVal); return S_OK;
    case VT_R8: case VT_DATE: out = Real(v.dblVal); return S_OK;
    case VT_BOOL: out = Signed(v.boolVal); return S_OK;
    case VT_BSTR: return ParseNumber(BstrView(v.bstrVal), out);
    default: return DISP_E_TYPEMISMATCH;
  }
}

// Rounds half to even, as the automation library does when a real becomes an integer.
double RoundHalfEven(double d) {
  const double r = std::nearbyint(d);  // default rounding mode is to nearest, ties to even
  return r;
}

template <class T>
HRESULT NarrowTo(const Number& n, T& out) {
  using L = std::numeric_limits<T>;
  switch (n.kind) {
    case Number::kSigned:
      if constexpr (L::is_signed) {
        if (n.s < static_cast<std::int64_t>(L::min()) || n.s > static_cast<std::int64_t>(L::max()))
          return DISP_E_OVERFLOW;
      } else {
        if (n.s < 0 || static_cast<std::uint64_t>(n.s) > static_cast<std::uint64_t>(L::max()))
          return DISP_E_OVERFLOW;
      }
      out = static_cast<T>(n.s);
      return S_OK;
    case Number::kUnsigned:
      if (n.u > static_cast<std::uint64_t>(L::max())) return DISP_E_OVERFLOW;
      out = static_cast<T>(n.u);
      return S_OK;
    case Number::kReal: {
      if (std::isnan(n.r)) return DISP_E_OVERFLOW;
      const double r = RoundHalfEven(n.r);
      // Compare in long double so that the limits of 64-bit types are represented exactly.
      const long double lr = r;
      if (lr < static_cast<long double>(L::min()) || lr > static_cast<long double>(L::max()))
        return DISP_E_OVERFLOW;
      out = static_cast<T>(r);
      return S_OK;
    }
  }
  return DISP_E_TYPEMISMATCH;
}

double AsReal(const Number& n) {
  switch (n.kind) {
    case Number::kSigned: return double(n.s);
    case Number::kUnsigned: return double(n.u);
    case Number::kReal: return n.r;
  }
  return 0;
}

bool IsNonZero(const Number& n) {
  switch (n.kind) {
    case Number::kSigned: return n.s != 0;
    case Number::kUnsigned: return n.u != 0;
    case Number::kReal: return n.r != 0;
  }
  return false;
}

BSTR AsciiBstr(const char* s) {
  std::u16string w;
  for (; *s; ++s) w.push_back(char16_t(static_cast<unsigned char>(*s)));
  return SysAllocStringLen(AsOle(w.c_str()), UINT(w.size()));
}

HRESULT ToText(const VARIANT& v, USHORT flags, BSTR& out) {
  char buf[64];
  switch (v.vt) {
    case VT_EMPTY: out = SysAllocStringLen(nullptr, 0); break;
    case VT_BSTR: out = SysAllocStringLen(v.bstrVal, SysStringLen(v.bstrVal)); break;
    case VT_BOOL:
      if (flags & VARIANT_ALPHABOOL)
        out = AsciiBstr(v.boolVal ? "True" : "False");
      else
        out = AsciiBstr(v.boolVal ? "-1" : "0");
      break;
    case VT_R4: case VT_R8: {
      const double d = v.vt == VT_R4 ? double(v.fltVal) : v.dblVal;
      std::snprintf(buf, sizeof buf, "%.*G", v.vt == VT_R4 ? 7 : 15, d);
      out = AsciiBstr(buf);
      break;
    }
    default: {
      Number n;
      if (!IsKnownBaseType(v.vt) || v.vt == VT_NULL || v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN ||
          v.vt == VT_CY || v.vt == VT_DATE)
        return DISP_E_TYPEMISMATCH;
      if (HRESULT hr = ToNumber(v, n); FAILED(hr)) return hr;
      if (n.kind == Number::kUnsigned)
        std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(n.u));
      else
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(n.s));
      out = AsciiBstr(buf);
    }
  }
  return out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ToBool(const VARIANT& v, VARIANT_BOOL& out) {
  if (v.vt == VT_BSTR) {
    const std::u16string_view s = Trim(BstrView(v.bstrVal));
    if (EqualsNoCase(s, u"true")) { out = VARIANT_TRUE; return S_OK; }
    if (EqualsNoCase(s, u"false")) { out = VARIANT_FALSE; return S_OK; }
  }
  Number n;
  if (HRESULT hr = ToNumber(v, n); FAILED(hr)) return hr;
  out = IsNonZero(n) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// The value a by-reference VARIANT points at, as a shallow non-reference VARIANT.
HRESULT Dereference(const VARIANT& src, VARIANT& out) {
  if (!(src.vt & VT_BYREF)) {
    out = src;
    return S_OK;
  }
  const VARTYPE base = src.vt & VT_TYPEMASK;
  // A reference to nothing holds no value of its type (the system library says the same).
  if (!src.byref) return DISP_E_TYPEMISMATCH;
  VariantInit(&out);
  if (src.vt & VT_ARRAY) {
    // A reference to an array is the array, not an element: the caller's variable holds the
    // array's descriptor pointer.
    out.vt = static_cast<VARTYPE>(src.vt & ~VT_BYREF);
    out.byref = *static_cast<void* const*>(src.byref);
    return S_OK;
  }
  out.vt = base;
  switch (base) {
    case VT_VARIANT:
      if (src.pvarVal->vt & VT_BYREF) return DISP_E_BADVARTYPE;  // one level only
      out = *src.pvarVal;
      return S_OK;
    case VT_I1: case VT_UI1: out.bVal = *src.pbVal; return S_OK;
    case VT_I2: case VT_UI2: out.iVal = *src.piVal; return S_OK;
    case VT_BOOL: out.boolVal = *src.pboolVal; return S_OK;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: case VT_R4:
      out.lVal = *src.plVal;
      return S_OK;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY:
      out.llVal = *src.pllVal;
      return S_OK;
    case VT_BSTR: out.bstrVal = *src.pbstrVal; return S_OK;
    case VT_DISPATCH: case VT_UNKNOWN: out.punkVal = *src.ppunkVal; return S_OK;
    default: return DISP_E_BADVARTYPE;
  }
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& out);

// An object becomes a number, text or boolean through its value property (DISPID 0), as in
// the automation library: a null object is not a valid source at all, and an object without
// a value property cannot be converted.
HRESULT ConvertObjectValue(IDispatch* object, USHORT flags, VARTYPE vt, VARIANT& out) {
  if (!object) return DISP_E_BADVARTYPE;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  if (FAILED(object->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr))) {
    VariantClear(&value);
    return DISP_E_TYPEMISMATCH;
  }
  HRESULT hr = value.vt == VT_DISPATCH ? DISP_E_TYPEMISMATCH : Convert(value, flags, vt, out);
  VariantClear(&value);
  return hr;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& out) {
  VariantInit(&out);
  if (v.vt == VT_NULL) {
    if (vt == VT_NULL) { out.vt = VT_NULL; return S_OK; }
    return DISP_E_TYPEMISMATCH;
  }
  if (v.vt == VT_DISPATCH && vt != VT_EMPTY && vt != VT_NULL && vt != VT_DISPATCH && vt != VT_UNKNOWN)
    return ConvertObjectValue(v.pdispVal, flags, vt, out);
  switch (vt) {
    case VT_EMPTY: return S_OK;
    case VT_NULL: out.vt = VT_NULL; return S_OK;
    case VT_BSTR: {
      BSTR b = nullptr;
      if (HRESULT hr = ToText(v, flags, b); FAILED(hr)) return hr;
      out.vt = VT_BSTR;
      out.bstrVal = b;
      return S_OK;
    }
    case VT_BOOL: {
      VARIANT_BOOL b;
      if (HRESULT hr = ToBool(v, b); FAILED(hr)) return hr;
      out.vt = VT_BOOL;
      out.boolVal = b;
      return S_OK;
    }
    case VT_DISPATCH: case VT_UNKNOWN: {
      if (v.vt == VT_EMPTY) { out.vt = vt; out.punkVal = nullptr; return S_OK; }
      if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
      if (!v.punkVal) { out.vt = vt; out.punkVal = nullptr; return S_OK; }
      void* p = nullptr;
      if (HRESULT hr = v.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &p);
          FAILED(hr))
        return vt == VT_DISPATCH ? DISP_E_TYPEMISMATCH : hr;
      out.vt = vt;
      out.punkVal = static_cast<IUnknown*>(p);
      return S_OK;
    }
    default: break;
  }
  if (!IsKnownBaseType(v.vt) || v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN || v.vt == VT_CY)
    return DISP_E_TYPEMISMATCH;
  Number n;
  if (HRESULT hr = ToNumber(v, n); FAILED(hr)) return hr;
  // A boolean widens to an unsigned type by its bit pattern (True is all ones).
  if (v.vt == VT_BOOL && n.s < 0) {
    switch (vt) {
      case VT_UI1: n = Unsigned(0xFF); break;
      case VT_UI2: n = Unsigned(0xFFFF); break;
      case VT_UI4: case VT_UINT: n = Unsigned(0xFFFFFFFFu); break;
      case VT_UI8: n = Unsigned(~0ull); break;
      default: break;
    }
  }
  HRESULT hr = E_INVALIDARG;
  switch (vt) {
    case VT_I1: hr = NarrowTo(n, out.cVal); break;
    case VT_UI1: hr = NarrowTo(n, out.bVal); break;
    case VT_I2: hr = NarrowTo(n, out.iVal); break;
    case VT_UI2: hr = NarrowTo(n, out.uiVal); break;
    case VT_I4: case VT_INT: hr = NarrowTo(n, out.lVal); break;
    case VT_UI4: case VT_UINT: hr = NarrowTo(n, out.ulVal); break;
    case VT_I8: hr = NarrowTo(n, out.llVal); break;
    case VT_UI8: hr = NarrowTo(n, out.ullVal); break;
    case VT_R8: out.dblVal = AsReal(n); hr = S_OK; break;
    case VT_R4: {
      const double d = AsReal(n);
      if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max()))
        return DISP_E_OVERFLOW;
      out.fltVal = float(d);
      hr = S_OK;
      break;
    }
    default: return DISP_E_BADVARTYPE;
  }
  if (SUCCEEDED(hr)) out.vt = vt;
  return hr;
}

}  // namespace

void VariantInit(VARIANTARG* pvarg) {
  if (!pvarg) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
  pvarg->brecVal.pvRecord = nullptr;
  pvarg->brecVal.pRecInfo = nullptr;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
  if (!pvarg) return E_INVALIDARG;
  if (!(pvarg->vt & VT_BYREF)) {
    if (!IsKnownBaseType(pvarg->vt)) return DISP_E_BADVARTYPE;
    switch (pvarg->vt) {
      case VT_BSTR: SysFreeString(pvarg->bstrVal); break;
      case VT_DISPATCH: case VT_UNKNOWN:
        if (pvarg->punkVal) pvarg->punkVal->Release();
        break;
      default: break;
    }
  }
  VariantInit(pvarg);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (!pvargDest || !pvargSrc) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  if (!(pvargSrc->vt & VT_BYREF) && !IsKnownBaseType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  if (HRESULT hr = VariantClear(pvargDest); FAILED(hr)) return hr;
  *pvargDest = *pvargSrc;
  if (pvargSrc->vt == VT_BSTR && pvargSrc->bstrVal) {
    pvargDest->bstrVal = SysAllocStringLen(pvargSrc->bstrVal, SysStringLen(pvargSrc->bstrVal));
    if (!pvargDest->bstrVal) {
      VariantInit(pvargDest);
      return E_OUTOFMEMORY;
    }
  } else if ((pvargSrc->vt == VT_DISPATCH || pvargSrc->vt == VT_UNKNOWN) && pvargSrc->punkVal) {
    pvargSrc->punkVal->AddRef();
  }
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt) {
  if (!pvargDest || !pvarSrc) return E_INVALIDARG;
  if (vt & (VT_BYREF | VT_ARRAY)) return DISP_E_BADVARTYPE;
  VARIANT value;
  if (HRESULT hr = Dereference(*pvarSrc, value); FAILED(hr)) return hr;
  // An array never becomes a scalar (and no array conversions are needed here).
  if (value.vt & VT_ARRAY)
    return IsKnownBaseType(value.vt & VT_TYPEMASK) ? DISP_E_TYPEMISMATCH : DISP_E_BADVARTYPE;
  if (!IsKnownBaseType(value.vt)) return DISP_E_BADVARTYPE;
  VARIANT result;
  if (value.vt == vt) {
    VariantInit(&result);
    if (HRESULT hr = VariantCopy(&result, &value); FAILED(hr)) return hr;
  } else if (HRESULT hr = Convert(value, wFlags, vt, result); FAILED(hr)) {
    return hr;
  }
  // The source may be the destination itself; it is cleared only once the result exists.
  VariantClear(pvargDest);
  *pvargDest = result;
  return S_OK;
}
