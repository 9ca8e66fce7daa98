#include "cli/device_lookup.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "driver/dispids.h"
#include "platform/dispatch_call.h"
#include "platform/widestring.h"

namespace s4::cli {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> prev(b.size() + 1), cur(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) prev[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    cur[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j)
      cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    std::swap(prev, cur);
  }
  return prev[b.size()];
}

CallResult Ask(IDispatch* object, DISPID id, const std::vector<Variant>& args) {
  CallResult r = CallDispatch(object, id, std::span<const Variant>(args));
  if (!r.ok()) throw CommandError{kExitFailure, "the module answered DISPID " + std::to_string(id) + " with " +
                                                    HresultName(r.hr)};
  return r;
}

}  // namespace

const std::vector<DeviceEntry>& AllDevices(const sim::PluginModule& module) {
  static std::vector<DeviceEntry> devices;
  if (devices.empty()) {
    const std::int32_t count = module.DriverCount();
    for (std::int32_t kind = 0; kind < count; ++kind) {
      DeviceEntry e;
      e.kind = kind;
      e.driver = module.Driver(kind);
      if (!e.driver) throw CommandError{kExitFailure, "the module gave no driver for kind " + std::to_string(kind)};
      e.name = AskText(e.driver.get(), dispid::DeviceInformation::GetDeviceName);
      devices.push_back(std::move(e));
    }
  }
  return devices;
}

std::vector<std::string> NearestNames(const std::string& text, const std::vector<std::string>& candidates,
                                      std::size_t count) {
  const std::string t = Lower(text);
  std::vector<std::pair<std::size_t, std::string>> scored;
  for (const auto& c : candidates) {
    const std::string l = Lower(c);
    // A name that starts with what was typed is as near as can be.
    const std::size_t d = l.rfind(t, 0) == 0 ? l.size() - t.size() : EditDistance(t, l);
    scored.emplace_back(d, c);
  }
  std::stable_sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> out;
  for (std::size_t i = 0; i < scored.size() && i < count; ++i) out.push_back(scored[i].second);
  return out;
}

const DeviceEntry& ResolveDevice(const sim::PluginModule& module, const std::string& text) {
  const auto& devices = AllDevices(module);
  std::int32_t kind = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), kind);
  if (ec == std::errc() && p == text.data() + text.size()) {
    if (kind < 0 || kind >= static_cast<std::int32_t>(devices.size()))
      throw CommandError{kExitUsage, "no device kind " + text + "; kinds are 0.." + std::to_string(devices.size() - 1)};
    return devices[static_cast<std::size_t>(kind)];
  }
  const std::string wanted = Lower(text);
  for (const auto& d : devices)
    if (Lower(d.name) == wanted) return d;
  std::vector<std::string> names;
  for (const auto& d : devices) names.push_back(d.name);
  std::string message = "no device '" + text + "'; nearest: ";
  const auto nearest = NearestNames(text, names);
  for (std::size_t i = 0; i < nearest.size(); ++i) message += (i ? ", " : "") + nearest[i];
  message += " (s4host devices lists them all)";
  throw CommandError{kExitUsage, message};
}

std::string PinDataProvenance(const std::string& devicePackage) {
  static const std::map<std::string, std::string> table = {
#define S4_PIN_PROVENANCE(set, provenance) {set, provenance},
#define S4_BSDL_PROVENANCE(set, provenance)
#include "pin_provenance.inc"
#undef S4_BSDL_PROVENANCE
#undef S4_PIN_PROVENANCE
  };
  auto it = table.find(devicePackage);
  return it == table.end() ? "unknown" : it->second;
}

std::string BsdlSourceProvenance(const std::string& devicePackage) {
  static const std::map<std::string, std::string> table = {
#define S4_PIN_PROVENANCE(set, provenance)
#define S4_BSDL_PROVENANCE(set, provenance) {set, provenance},
#include "pin_provenance.inc"
#undef S4_BSDL_PROVENANCE
#undef S4_PIN_PROVENANCE
  };
  auto it = table.find(devicePackage);
  return it == table.end() ? "unknown" : it->second;
}

std::string DevicePackageOf(IDispatch* driver) {
  return AskText(driver, dispid::DeviceInformation::GetBaseName) +
         AskText(driver, dispid::DeviceInformation::GetPackageId);
}

std::string AskText(IDispatch* object, DISPID id, const std::vector<Variant>& args) {
  CallResult r = Ask(object, id, args);
  if (r.value.vt() != VT_BSTR) throw CommandError{kExitFailure, "DISPID " + std::to_string(id) + " answered " +
                                                                    VarTypeName(r.value.vt()) + ", not text"};
  return Utf16ToUtf8(BstrView(r.value.raw().bstrVal));
}

std::int32_t AskInt(IDispatch* object, DISPID id, const std::vector<Variant>& args) {
  CallResult r = Ask(object, id, args);
  if (r.value.vt() != VT_I4) throw CommandError{kExitFailure, "DISPID " + std::to_string(id) + " answered " +
                                                                  VarTypeName(r.value.vt()) + ", not an integer"};
  return r.value.raw().lVal;
}

bool AskBool(IDispatch* object, DISPID id) {
  CallResult r = Ask(object, id, {});
  if (r.value.vt() != VT_BOOL) throw CommandError{kExitFailure, "DISPID " + std::to_string(id) + " answered " +
                                                                    VarTypeName(r.value.vt()) + ", not a boolean"};
  return r.value.raw().boolVal != VARIANT_FALSE;
}

ComPtr<IDispatch> AskObject(IDispatch* object, DISPID id, std::int32_t index) {
  CallResult r = Ask(object, id, {Variant(index)});
  if (r.value.vt() != VT_DISPATCH) throw CommandError{kExitFailure, "DISPID " + std::to_string(id) + " answered " +
                                                                        VarTypeName(r.value.vt()) + ", not an object"};
  return ComPtr<IDispatch>::Share(r.value.raw().pdispVal);
}

}  // namespace s4::cli
