// Calling an IDispatch object the way the host does: fixed DISPID, arguments in call order
// (they are reversed into DISPPARAMS here), one VARIANT result.
//
//   auto r = s4::CallDispatch(driver, 503380);
//   if (r.ok()) use(r.value);
#pragma once

#include <initializer_list>
#include <span>
#include <vector>

#include "platform/variant.h"

namespace s4 {

struct CallResult {
  HRESULT hr = E_UNEXPECTED;
  Variant value;
  UINT argErr = ~0u;  // index into the reversed argument array, when the callee set it
  bool ok() const { return SUCCEEDED(hr); }
};

CallResult CallDispatch(IDispatch* target, DISPID id, std::span<const Variant> args = {},
                        WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);

inline CallResult CallDispatch(IDispatch* target, DISPID id, std::initializer_list<Variant> args) {
  return CallDispatch(target, id, std::span<const Variant>(args.begin(), args.size()));
}

}  // namespace s4
