#include "platform/dispatch_call.h"

namespace s4 {

CallResult CallDispatch(IDispatch* target, DISPID id, std::span<const Variant> args, WORD flags) {
  CallResult r;
  if (!target) {
    r.hr = E_POINTER;
    return r;
  }
  // The callee only reads its arguments, so shallow copies of the caller's VARIANTs serve;
  // ownership stays with `args`.
  std::vector<VARIANT> reversed(args.size());
  for (std::size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = args[i].raw();
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  VARIANT result;
  VariantInit(&result);
  r.hr = target->Invoke(id, IID_NULL, 0, flags, &params, &result, nullptr, &r.argErr);
  r.value = Variant::Adopt(result);
  return r;
}

}  // namespace s4
