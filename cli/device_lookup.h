// Finding a device for the s4host device commands (devices, info, pins, standards): by kind
// number or by full name (letter case ignored), with the nearest names when there is none.
// Everything is asked of the module through Invoke, as the host asks it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "simhost/plugin_module.h"

namespace s4::cli {

struct DeviceEntry {
  std::int32_t kind = 0;
  std::string name;
  ComPtr<IDispatch> driver;
};

// Every device the module serves, in kind order.
const std::vector<DeviceEntry>& AllDevices(const sim::PluginModule& module);

// The device named by `text`: a kind number 0..count-1 or a full name. Throws CommandError
// (kExitUsage) naming the nearest full names when there is no such device.
const DeviceEntry& ResolveDevice(const sim::PluginModule& module, const std::string& text);

// Up to `count` of `candidates` nearest to `text` (edit distance, letter case ignored).
std::vector<std::string> NearestNames(const std::string& text, const std::vector<std::string>& candidates,
                                      std::size_t count = 3);

// Where the pin data of a device package ("EP4SGX70DF29") came from: "synthesized" for the
// made-up data, "vendor-import" for imported vendor pin-outs; "unknown" otherwise.
std::string PinDataProvenance(const std::string& devicePackage);

// Where the built-in boundary-scan description of a device package came from: "synthesized"
// for the synthesizer's sources, "vendor" for a vendor's file put in their place.
std::string BsdlSourceProvenance(const std::string& devicePackage);

// The device package of a driver: base name + package id, asked through Invoke.
std::string DevicePackageOf(IDispatch* driver);

// A string, integer or boolean answer of a no-argument query, for text output; throws
// CommandError (kExitFailure) when the module answers a failure.
std::string AskText(IDispatch* object, DISPID id, const std::vector<Variant>& args = {});
std::int32_t AskInt(IDispatch* object, DISPID id, const std::vector<Variant>& args = {});
bool AskBool(IDispatch* object, DISPID id);
// An object answer (null allowed); the module keeps pins and standards alive itself.
ComPtr<IDispatch> AskObject(IDispatch* object, DISPID id, std::int32_t index);

}  // namespace s4::cli
