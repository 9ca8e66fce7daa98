// The module loaded once per test program, as the host loads it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/dispatch_call.h"
#include "platform/widestring.h"
#include "simhost/plugin_module.h"

namespace s4::test {

inline const sim::PluginModule& Module() {
  static std::unique_ptr<sim::PluginModule> m = [] {
    std::string error;
    auto loaded = sim::PluginModule::Load(S4_MODULE_PATH, &error);
    if (!loaded) {
      ADD_FAILURE() << "cannot load " << S4_MODULE_PATH << ": " << error;
      std::abort();
    }
    return loaded;
  }();
  return *m;
}

inline ComPtr<IDispatch> Driver(std::int32_t kind) { return Module().Driver(kind); }

// Text of a VT_BSTR result in UTF-8, for readable assertions.
inline std::string Text(const Variant& v) {
  return v.vt() == VT_BSTR ? Utf16ToUtf8(BstrView(v.raw().bstrVal)) : "<" + VarTypeName(v.vt()) + ">";
}

}  // namespace s4::test
