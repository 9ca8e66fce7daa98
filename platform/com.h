// The COM automation types the module and its hosts speak: HRESULT, GUID, BSTR, VARIANT,
// DISPPARAMS, IUnknown and IDispatch.
//
// This header is the one seam between the real Windows types and our own. On Windows it
// includes the system headers; everywhere else it defines types with the Win64 binary
// layout (see com_posix.h), so that any host built with the same C++ ABI interoperates.
// Code of the module includes this header only, never the system headers directly.
#pragma once

#if defined(_WIN32)
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  ifndef WIN32_LEAN_AND_MEAN
#    define WIN32_LEAN_AND_MEAN
#  endif
#  include <windows.h>
#  include <oaidl.h>
#  include <oleauto.h>
#  define S4_COM_WINDOWS 1
#  include <type_traits>
// MinGW-w64's headers declare the source VARIANT of these two without const (the Windows
// SDK's have it); neither function changes it. These templates take a const source where
// the system declaration does not; where it does, the system function is the better match.
template <class V, class = std::enable_if_t<std::is_same_v<V, VARIANTARG>>>
inline HRESULT VariantCopy(VARIANTARG* dest, const V* src) {
  return ::VariantCopy(dest, const_cast<VARIANTARG*>(src));
}
template <class V, class = std::enable_if_t<std::is_same_v<V, VARIANTARG>>>
inline HRESULT VariantChangeType(VARIANTARG* dest, const V* src, USHORT flags, VARTYPE vt) {
  return ::VariantChangeType(dest, const_cast<VARIANTARG*>(src), flags, vt);
}
#else
#  include "platform/com_posix.h"
#  define S4_COM_WINDOWS 0
#endif

#include <cstdint>
#include <string_view>

static_assert(sizeof(OLECHAR) == 2, "OLECHAR must be a 16-bit code unit");
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*), "VARIANT must have the automation layout");
static_assert(sizeof(GUID) == 16, "GUID must be 16 bytes");

// The module keeps text as UTF-16 in char16_t. OLECHAR is wchar_t on Windows and char16_t
// elsewhere; both are 16-bit code units, so the two views of a string share their memory.
inline const char16_t* AsU16(const OLECHAR* s) { return reinterpret_cast<const char16_t*>(s); }
inline char16_t* AsU16(OLECHAR* s) { return reinterpret_cast<char16_t*>(s); }
inline const OLECHAR* AsOle(const char16_t* s) { return reinterpret_cast<const OLECHAR*>(s); }

// The text of a BSTR as a view (a null BSTR is the empty string, as in COM).
inline std::u16string_view BstrView(BSTR s) {
  return s ? std::u16string_view(AsU16(s), SysStringLen(s)) : std::u16string_view();
}
