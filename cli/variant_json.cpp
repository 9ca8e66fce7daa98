#include "cli/variant_json.h"

#include <cstdio>

#include "platform/widestring.h"

namespace s4::cli {

nlohmann::json VariantToJson(const VARIANT& v) {
  nlohmann::json j;
  j["type"] = VarTypeName(v.vt);
  switch (v.vt) {
    case VT_EMPTY: j["value"] = nullptr; break;
    case VT_I2: j["value"] = v.iVal; break;
    case VT_I4: j["value"] = v.lVal; break;
    case VT_UI4: j["value"] = v.ulVal; break;
    case VT_I8: j["value"] = v.llVal; break;
    case VT_R8: j["value"] = v.dblVal; break;
    case VT_BOOL: j["value"] = v.boolVal != VARIANT_FALSE; break;
    case VT_BSTR: j["value"] = Utf16ToUtf8(BstrView(v.bstrVal)); break;
    // A null object is JSON null; a conditional of "object" and nullptr would build a
    // string from a null pointer.
    case VT_DISPATCH: case VT_UNKNOWN: j["value"] = v.punkVal ? nlohmann::json("object") : nlohmann::json(nullptr); break;
    default: j["value"] = DescribeValue(v); break;
  }
  return j;
}

nlohmann::json HresultToJson(HRESULT hr) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", unsigned(hr));
  return {{"code", hex}, {"name", HresultName(hr)}, {"succeeded", SUCCEEDED(hr)}};
}

}  // namespace s4::cli
