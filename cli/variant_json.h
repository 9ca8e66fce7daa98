// VARIANT results of the module for people (text) and programs (JSON).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "platform/variant.h"

namespace s4::cli {

nlohmann::json VariantToJson(const VARIANT& v);
nlohmann::json HresultToJson(HRESULT hr);

}  // namespace s4::cli
