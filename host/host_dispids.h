// DISPID constants of the host operations the module calls, s4::hostid::<Interface>::<Name>,
// from the one list in host/host_operations.inc. Header-only, so that the simulated host and
// the black-box tests can name the operations they answer and check without linking the
// module's code.
#pragma once

#include "platform/com.h"

namespace s4::hostid {

#define S4_HOST_OP(Interface, Name, Id, ...) \
  namespace Interface {                      \
  inline constexpr DISPID Name = Id;         \
  }
#include "host/host_operations.inc"
#undef S4_HOST_OP

}  // namespace s4::hostid
