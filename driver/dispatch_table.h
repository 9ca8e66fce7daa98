// Declarative dispatch: a DISPID maps to a member function, and the argument and result
// conversions are derived from that function's signature, once, here.
//
// A class that the host drives declares its operations as ordinary virtual functions with
// C++ types and lists them in a table:
//
//   const Table<Root>& TAbstractDevicePin::DispatchTable() const {
//     static const Table<Root> table(&Parent::DispatchTable(), {
//         Bind<Root, 503525, &TAbstractDevicePin::GetPinNumber>(), ...});
//     return table;
//   }
//
// Invoke then finds the entry (the table holds the parent's entries too, so a DISPID the
// class does not know answers as the parent would) and its thunk:
//   - checks DISPPARAMS (E_POINTER when null, DISP_E_BADPARAMCOUNT when the count differs),
//   - converts each VARIANT argument, last argument first in the array (DISP_E_TYPEMISMATCH,
//     also for any array; DISP_E_OVERFLOW; DISP_E_BADVARTYPE for a type the automation rules
//     do not know; E_INVALIDARG for a reference with a null pointer; DISP_E_PARAMNOTOPTIONAL;
//     each with *puArgErr set to the array index),
//   - calls the operation inside an exception guard: anything thrown becomes E_UNEXPECTED,
//     VarResult untouched,
//   - stores the result in VarResult when the caller gave one (its old contents released).
//
// Parameter types: std::u16string_view (text), std::int32_t, std::int64_t, IDispatch*
// (borrowed), Low32 (low half of a 64-bit value), Raw32 (the 32 bits as they lie), InOutFlag
// (a VARIANT boolean by reference).
// Result types: void, bool (VT_BOOL), std::int32_t/std::uint32_t and 8-bit enumerations
// (VT_I4), std::int64_t (VT_I8), double (VT_R8), WideString/std::u16string/std::u16string_view (VT_BSTR),
// ComPtr<IDispatch> (VT_DISPATCH).
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com.h"
#include "platform/com_ptr.h"
#include "platform/widestring.h"

namespace s4::dispatch {

// ---- Parameter wrapper types -------------------------------------------------------------

// The low 32 bits of an argument that the caller passes as a 64-bit integer.
struct Low32 {
  std::uint32_t value = 0;
};
// The first 32 bits of the VARIANT's value, whatever its type says.
struct Raw32 {
  std::uint32_t value = 0;
};
// A boolean the operation may write back (VT_BOOL|VT_BYREF, or VT_VARIANT|VT_BYREF).
class InOutFlag {
 public:
  bool get() const { return value_; }
  void set(bool v) {
    value_ = v;
    written_ = true;
  }
  bool written() const { return written_; }
  void init(bool v) { value_ = v; }

 private:
  bool value_ = false;
  bool written_ = false;
};

// ---- Argument conversion -----------------------------------------------------------------

// A missing optional argument arrives as VT_ERROR/DISP_E_PARAMNOTFOUND; no operation here has
// optional arguments.
inline bool IsMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// Every parameter of every operation is a scalar, and an array never stands for one: not by
// value, not by reference, not behind a VARIANT reference. Refused before any conversion
// looks at the value, so an array's descriptor is never read as text, number or object.
inline bool IsArray(const VARIANT& v) {
  if (v.vt & VT_ARRAY) return true;
  return v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal && (v.pvarVal->vt & VT_ARRAY);
}

// VariantChangeType into `out`, with a reference that points nowhere refused here
// (E_INVALIDARG) rather than left to the automation library.
inline HRESULT ChangeType(VARIANT& out, VARIANT& src, VARTYPE vt) {
  if ((src.vt & VT_BYREF) && !src.byref) return E_INVALIDARG;
  return VariantChangeType(&out, &src, 0, vt);
}

template <class T>
struct Arg;

template <>
struct Arg<std::int32_t> {
  std::int32_t v = 0;
  HRESULT Load(VARIANT& src) {
    if (src.vt == VT_I4) {
      v = src.lVal;
      return S_OK;
    }
    VARIANT t;
    VariantInit(&t);
    const HRESULT hr = ChangeType(t, src, VT_I4);
    if (SUCCEEDED(hr)) v = t.lVal;
    return hr;
  }
  std::int32_t get() { return v; }
};

template <>
struct Arg<std::int64_t> {
  std::int64_t v = 0;
  HRESULT Load(VARIANT& src) {
    if (src.vt == VT_I8) {
      v = src.llVal;
      return S_OK;
    }
    VARIANT t;
    VariantInit(&t);
    const HRESULT hr = ChangeType(t, src, VT_I8);
    if (SUCCEEDED(hr)) v = t.llVal;
    return hr;
  }
  std::int64_t get() { return v; }
};

template <>
struct Arg<Low32> {
  Arg<std::int64_t> wide;
  HRESULT Load(VARIANT& src) { return wide.Load(src); }
  Low32 get() { return Low32{static_cast<std::uint32_t>(wide.v)}; }
};

template <>
struct Arg<Raw32> {
  Raw32 v;
  HRESULT Load(VARIANT& src) {
    v.value = src.ulVal;
    return S_OK;
  }
  Raw32 get() { return v; }
};

template <>
struct Arg<bool> {
  bool v = false;
  HRESULT Load(VARIANT& src) {
    if (src.vt == VT_BOOL) {
      v = src.boolVal != VARIANT_FALSE;
      return S_OK;
    }
    VARIANT t;
    VariantInit(&t);
    const HRESULT hr = ChangeType(t, src, VT_BOOL);
    if (SUCCEEDED(hr)) v = t.boolVal != VARIANT_FALSE;
    return hr;
  }
  bool get() { return v; }
};

template <>
struct Arg<std::u16string_view> {
  std::u16string_view v;
  WideString owned;  // holds a converted copy when the argument was not text
  HRESULT Load(VARIANT& src) {
    if (src.vt == VT_BSTR) {
      v = BstrView(src.bstrVal);
      return S_OK;
    }
    if (src.vt == (VT_BSTR | VT_BYREF) && src.pbstrVal) {
      v = BstrView(*src.pbstrVal);
      return S_OK;
    }
    VARIANT t;
    VariantInit(&t);
    const HRESULT hr = ChangeType(t, src, VT_BSTR);
    if (FAILED(hr)) return hr;
    owned = WideString::Adopt(t.bstrVal);
    v = owned.view();
    return S_OK;
  }
  std::u16string_view get() { return v; }
};

template <>
struct Arg<IDispatch*> {
  IDispatch* v = nullptr;
  ComPtr<IDispatch> owned;  // holds the reference QueryInterface gave for a VT_UNKNOWN
  HRESULT Load(VARIANT& src) {
    switch (src.vt) {
      case VT_EMPTY: case VT_NULL: v = nullptr; return S_OK;
      case VT_DISPATCH: v = src.pdispVal; return S_OK;
      case VT_DISPATCH | VT_BYREF: v = src.ppdispVal ? *src.ppdispVal : nullptr; return S_OK;
      case VT_UNKNOWN: case VT_UNKNOWN | VT_BYREF: {
        IUnknown* unk = src.vt == VT_UNKNOWN ? src.punkVal : (src.ppunkVal ? *src.ppunkVal : nullptr);
        if (!unk) return S_OK;
        owned = ComPtr<IUnknown>::Share(unk).As<IDispatch>(IID_IDispatch);
        if (!owned) return DISP_E_TYPEMISMATCH;
        v = owned.get();
        return S_OK;
      }
      default: return DISP_E_TYPEMISMATCH;
    }
  }
  IDispatch* get() { return v; }
};

template <>
struct Arg<InOutFlag&> {
  InOutFlag flag;
  VARIANT* target = nullptr;
  HRESULT Load(VARIANT& src) {
    target = &src;
    Arg<bool> b;
    const HRESULT hr = b.Load(src);
    if (SUCCEEDED(hr)) flag.init(b.v);
    return hr;
  }
  InOutFlag& get() { return flag; }
  // Writes what the operation set back to the caller's variable. A flag passed by value
  // has no caller variable; the operation's write is then dropped.
  void WriteBack() {
    if (!flag.written() || !target) return;
    const VARIANT_BOOL b = flag.get() ? VARIANT_TRUE : VARIANT_FALSE;
    if (target->vt == (VT_BOOL | VT_BYREF) && target->pboolVal) {
      *target->pboolVal = b;
    } else if (target->vt == (VT_VARIANT | VT_BYREF) && target->pvarVal) {
      VariantClear(target->pvarVal);
      target->pvarVal->vt = VT_BOOL;
      target->pvarVal->boolVal = b;
    }
  }
};

template <class A>
void WriteBackIfAny(A& a) {
  if constexpr (requires { a.WriteBack(); }) a.WriteBack();
}

// ---- Result conversion -------------------------------------------------------------------

template <class R>
void StoreResult(VARIANT& out, R&& r) {
  using T = std::remove_cvref_t<R>;
  if constexpr (std::is_same_v<T, bool>) {
    out.vt = VT_BOOL;
    out.boolVal = r ? VARIANT_TRUE : VARIANT_FALSE;
  } else if constexpr (std::is_enum_v<T>) {
    static_assert(sizeof(T) <= 4, "enumerations travel as 32-bit integers");
    out.vt = VT_I4;
    out.lVal = static_cast<LONG>(static_cast<std::underlying_type_t<T>>(r));
  } else if constexpr (std::is_same_v<T, std::int64_t>) {
    out.vt = VT_I8;
    out.llVal = r;
  } else if constexpr (std::is_same_v<T, double>) {
    out.vt = VT_R8;
    out.dblVal = r;
  } else if constexpr (std::is_integral_v<T>) {
    static_assert(sizeof(T) <= 4, "32-bit results travel as VT_I4 holding the same bits");
    out.vt = VT_I4;
    out.lVal = static_cast<LONG>(static_cast<std::uint32_t>(r));
  } else if constexpr (std::is_same_v<T, WideString>) {
    out.vt = VT_BSTR;
    out.bstrVal = WideString(std::move(r)).detach();
  } else if constexpr (std::is_same_v<T, std::u16string> || std::is_same_v<T, std::u16string_view>) {
    out.vt = VT_BSTR;
    out.bstrVal = WideString(std::u16string_view(r)).detach();
  } else if constexpr (std::is_same_v<T, ComPtr<IDispatch>>) {
    out.vt = VT_DISPATCH;
    out.pdispVal = ComPtr<IDispatch>(std::move(r)).detach();
  } else {
    static_assert(sizeof(T) == 0, "no VARIANT mapping for this result type");
  }
}

// ---- Tables ------------------------------------------------------------------------------

template <class Root>
using Thunk = HRESULT (*)(Root& self, DISPPARAMS& params, VARIANT* result, UINT* argErr);

// The operation's signature as the host's interface tables write it, for checks against
// them: "Result(Argument,...)" with Integer, Cardinal, Int64, Double, Boolean, WideString,
// IDispatch, Enum8 (an 8-bit enumeration, carried as Integer), Low32, Raw32, InOutFlag and
// none (no result).
using Signature = std::string (*)();

template <class Root>
struct Entry {
  DISPID id;
  Thunk<Root> thunk;
  Signature signature = nullptr;
};

template <class Root>
class Table {
 public:
  Table(std::initializer_list<Entry<Root>> own) : Table(nullptr, own) {}
  // The parent's entries first, then the class's own, which take the place of a parent entry
  // with the same DISPID.
  Table(const Table* parent, std::initializer_list<Entry<Root>> own) {
    if (parent) entries_ = parent->entries_;
    for (const Entry<Root>& e : own) {
      auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry<Root>& x) { return x.id == e.id; });
      if (it != entries_.end())
        *it = e;
      else
        entries_.push_back(e);
    }
    std::sort(entries_.begin(), entries_.end(), [](const Entry<Root>& a, const Entry<Root>& b) { return a.id < b.id; });
  }

  const Entry<Root>* Find(DISPID id) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), id,
                               [](const Entry<Root>& e, DISPID key) { return e.id < key; });
    return (it != entries_.end() && it->id == id) ? &*it : nullptr;
  }
  std::span<const Entry<Root>> entries() const { return entries_; }

 private:
  std::vector<Entry<Root>> entries_;
};

// ---- Thunks ------------------------------------------------------------------------------

template <class M>
struct MethodTraits;
template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
  using Args = std::tuple<A...>;
};
template <class C, class R, class... A>
struct MethodTraits<R (C::*)(A...) const> : MethodTraits<R (C::*)(A...)> {};

template <class Root, auto Method, class R, class... A, std::size_t... I>
HRESULT CallWith(Root& root, DISPPARAMS& params, VARIANT* result, UINT* argErr,
                 std::index_sequence<I...>) {
  using C = typename MethodTraits<decltype(Method)>::Class;
  constexpr std::size_t n = sizeof...(A);
  if (params.cArgs != n) return DISP_E_BADPARAMCOUNT;
  if constexpr (n > 0) {
    if (!params.rgvarg) return E_POINTER;
  }
  try {
    std::tuple<Arg<A>...> args;
    // Argument i of the call is element n-1-i of the array.
    HRESULT hr = S_OK;
    UINT bad = 0;
    (void)((
         [&] {
           VARIANT& v = params.rgvarg[n - 1 - I];
           hr = IsMissing(v) ? DISP_E_PARAMNOTOPTIONAL
                : IsArray(v)  ? DISP_E_TYPEMISMATCH
                              : std::get<I>(args).Load(v);
           // Exhausted memory while converting is a failure inside the call like any other.
           if (hr == E_OUTOFMEMORY) hr = E_UNEXPECTED;
           bad = static_cast<UINT>(n - 1 - I);
           return SUCCEEDED(hr);
         }() && ...));
    if (FAILED(hr)) {
      if (argErr) *argErr = bad;
      return hr;
    }
    C& self = static_cast<C&>(root);
    if constexpr (std::is_void_v<R>) {
      (self.*Method)(std::get<I>(args).get()...);
      (WriteBackIfAny(std::get<I>(args)), ...);
    } else {
      R r = (self.*Method)(std::get<I>(args).get()...);
      (WriteBackIfAny(std::get<I>(args)), ...);
      if (result) {
        // Built aside first, so that VarResult keeps its old value if this step fails.
        VARIANT out;
        VariantInit(&out);
        StoreResult(out, std::move(r));
        VariantClear(result);
        *result = out;
      }
    }
    return S_OK;
  } catch (...) {
    // Memory exhaustion included: to the host every failure inside an operation is the same
    // E_UNEXPECTED.
    return E_UNEXPECTED;
  }
}

template <class T>
constexpr const char* TypeName() {
  using U = std::remove_cvref_t<T>;
  if constexpr (std::is_void_v<U>) return "none";
  else if constexpr (std::is_same_v<U, bool>) return "Boolean";
  else if constexpr (std::is_enum_v<U>) return sizeof(U) == 1 ? "Enum8" : "Enum";
  else if constexpr (std::is_same_v<U, std::int32_t>) return "Integer";
  else if constexpr (std::is_same_v<U, std::uint32_t>) return "Cardinal";
  else if constexpr (std::is_same_v<U, std::int64_t>) return "Int64";
  else if constexpr (std::is_same_v<U, double>) return "Double";
  else if constexpr (std::is_same_v<U, WideString> || std::is_same_v<U, std::u16string> ||
                     std::is_same_v<U, std::u16string_view>)
    return "WideString";
  else if constexpr (std::is_same_v<U, ComPtr<IDispatch>> || std::is_same_v<U, IDispatch*>) return "IDispatch";
  else if constexpr (std::is_same_v<U, Low32>) return "Low32";
  else if constexpr (std::is_same_v<U, Raw32>) return "Raw32";
  else if constexpr (std::is_same_v<U, InOutFlag>) return "InOutFlag";
  else return "?";  // a type the tables have no word for
}

template <class Root, auto Method, class R, class Tuple>
struct ThunkFor;
template <class Root, auto Method, class R, class... A>
struct ThunkFor<Root, Method, R, std::tuple<A...>> {
  static HRESULT Call(Root& root, DISPPARAMS& params, VARIANT* result, UINT* argErr) {
    return CallWith<Root, Method, R, A...>(root, params, result, argErr, std::index_sequence_for<A...>{});
  }
  static std::string Describe() {
    std::string s = TypeName<R>();
    s += '(';
    const char* names[] = {TypeName<A>()..., ""};
    for (std::size_t i = 0; i < sizeof...(A); ++i) {
      if (i) s += ',';
      s += names[i];
    }
    return s + ')';
  }
};

// The table entry for one operation.
template <class Root, DISPID Id, auto Method>
constexpr Entry<Root> Bind() {
  using T = MethodTraits<decltype(Method)>;
  static_assert(std::is_base_of_v<Root, typename T::Class>, "the operation must belong to the dispatch family");
  using F = ThunkFor<Root, Method, typename T::Result, typename T::Args>;
  return Entry<Root>{Id, &F::Call, &F::Describe};
}

// The common part of every Invoke: find the DISPID, check the parameter block, run the thunk.
template <class Root>
HRESULT Invoke(const Table<Root>& table, Root& self, DISPID id, DISPPARAMS* params, VARIANT* result,
               UINT* argErr) {
  const Entry<Root>* e = table.Find(id);
  if (!e) return E_NOTIMPL;
  if (!params) return E_POINTER;
  return e->thunk(self, *params, result, argErr);
}

}  // namespace s4::dispatch
