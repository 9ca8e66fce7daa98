// Variant: an owned VARIANT, with constructors for the types the dispatch interfaces carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/com.h"

namespace s4 {

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  explicit Variant(std::int32_t i) : Variant() { v_.vt = VT_I4; v_.lVal = i; }
  explicit Variant(std::int64_t i) : Variant() { v_.vt = VT_I8; v_.llVal = i; }
  explicit Variant(double d) : Variant() { v_.vt = VT_R8; v_.dblVal = d; }
  explicit Variant(bool b) : Variant() { v_.vt = VT_BOOL; v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE; }
  explicit Variant(std::u16string_view s);
  explicit Variant(const char16_t* s) : Variant(std::u16string_view(s)) {}
  // A new reference to p (which may be null) as VT_DISPATCH.
  static Variant Dispatch(IDispatch* p);
  // A VARIANT of any type with its raw union left zero; for tests of odd inputs.
  static Variant OfType(VARTYPE vt) {
    Variant v;
    v.v_.vt = vt;
    return v;
  }
  // Takes over the contents of a VARIANT the caller owns.
  static Variant Adopt(const VARIANT& raw) {
    Variant v;
    v.v_ = raw;
    return v;
  }

  Variant(const Variant& o) : Variant() { VariantCopy(&v_, &o.v_); }
  Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
  Variant& operator=(Variant o) noexcept {
    std::swap(v_, o.v_);
    return *this;
  }
  ~Variant() { VariantClear(&v_); }

  VARIANT* get() { return &v_; }
  const VARIANT& raw() const { return v_; }
  VARTYPE vt() const { return v_.vt; }
  // Gives the contents away; this becomes VT_EMPTY.
  VARIANT detach() {
    VARIANT r = v_;
    VariantInit(&v_);
    return r;
  }

  // Conversions with VariantChangeType; each answers the HRESULT and stores on success.
  HRESULT ToInt32(std::int32_t& out) const;
  HRESULT ToInt64(std::int64_t& out) const;
  HRESULT ToBool(bool& out) const;
  HRESULT ToText(std::u16string& out) const;

 private:
  VARIANT v_;
};

// "VT_I4", "VT_BSTR|VT_BYREF", ... and a readable rendering of the value for diagnostics.
std::string VarTypeName(VARTYPE vt);
std::string DescribeValue(const VARIANT& v);
// "S_OK", "E_NOTIMPL", ... or the code in hexadecimal.
std::string HresultName(HRESULT hr);

}  // namespace s4
