// s4host standards DEVICE [--pin P]: the I/O standards a device (or one of its pins)
// supports, with their names, slew rates and drive strengths.
#include <iostream>

#include "cli/device_lookup.h"
#include "cli/session.h"
#include "driver/dispids.h"
#include "nlohmann/json.hpp"
#include "platform/widestring.h"

namespace s4::cli {
namespace {

namespace S = dispid::DeviceIOStandard;

nlohmann::json Describe(IDispatch* standard) {
  nlohmann::json slews = nlohmann::json::array(), drives = nlohmann::json::array();
  const std::int32_t slewCount = AskInt(standard, S::GetSlewCount);
  for (std::int32_t i = 0; i < slewCount; ++i) slews.push_back(AskText(standard, S::GetSlewValue, {Variant(i)}));
  const std::int32_t driveCount = AskInt(standard, S::GetDriveCount);
  for (std::int32_t i = 0; i < driveCount; ++i)
    drives.push_back(AskText(standard, S::GetDriveStrength, {Variant(i)}));
  return {{"param", AskText(standard, S::GetParamName)},
          {"display", AskText(standard, S::GetDisplayName)},
          {"slews", slews},
          {"drives", drives}};
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device, pin;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("standards", "List the I/O standards of a device or of one of its pins");
  cmd->add_option("DEVICE", o->device, "Full device name (case ignored) or a kind number")->required();
  cmd->add_option("--pin", o->pin, "Only the standards of this pin, e.g. A10 (case ignored)");
  cmd->add_flag("--json", o->json, "Print the standards as JSON");
  cmd->footer("Examples: s4host standards EP4SGX70DF29C2x\n          s4host standards 0 --pin A13 --json");
  cmd->callback([&globals, &exitCode, o] {
    const auto& module = LoadModule(globals);
    const DeviceEntry& d = ResolveDevice(module, o->device);
    IDispatch* drv = d.driver.get();
    const std::string provenance = PinDataProvenance(DevicePackageOf(drv));
    ComPtr<IDispatch> owner = d.driver;
    DISPID countId = dispid::DeviceInformation::GetIOStandardCount, itemId = dispid::DeviceInformation::GetIOStandard;
    std::string pinNumber;
    if (!o->pin.empty()) {
      const std::int32_t pins = AskInt(drv, dispid::DeviceInformation::GetDevicePinCount);
      std::vector<std::string> numbers;
      for (std::int32_t i = 0; i < pins && pinNumber.empty(); ++i) {
        auto pin = AskObject(drv, dispid::DeviceInformation::GetDevicePin, i);
        if (!pin) continue;
        const std::string number = AskText(pin.get(), dispid::DevicePin::GetPinNumber);
        numbers.push_back(number);
        if (EqualsIgnoreCase(Utf8ToUtf16(number), Utf8ToUtf16(o->pin))) {
          owner = pin;
          pinNumber = number;
        }
      }
      if (pinNumber.empty()) {
        std::string message = "device " + d.name + " has no pin '" + o->pin + "'; nearest: ";
        const auto nearest = NearestNames(o->pin, numbers);
        for (std::size_t i = 0; i < nearest.size(); ++i) message += (i ? ", " : "") + nearest[i];
        throw CommandError{kExitUsage, message};
      }
      countId = dispid::DevicePin::GetIOStandardCount;
      itemId = dispid::DevicePin::GetIOStandard;
    }
    const std::int32_t count = AskInt(owner.get(), countId);
    nlohmann::json list = nlohmann::json::array();
    for (std::int32_t i = 0; i < count; ++i) {
      auto standard = AskObject(owner.get(), itemId, i);
      if (!standard) throw CommandError{kExitFailure, "the module gave no standard for index " + std::to_string(i)};
      list.push_back(Describe(standard.get()));
    }
    if (o->json) {
      nlohmann::json j{{"kind", d.kind}, {"name", d.name}, {"provenance", provenance}, {"standards", list}};
      if (!pinNumber.empty()) j["pin"] = pinNumber;
      std::cout << j.dump(2) << "\n";
    } else {
      std::cout << "# " << d.name << (pinNumber.empty() ? "" : " pin " + pinNumber) << ": " << count
                << " standards; provenance: " << provenance
                << (provenance == "synthesized" ? " (made up, not vendor data)" : "") << "\n";
      for (const auto& s : list) {
        std::string slews, drives;
        for (const auto& v : s["slews"]) slews += (slews.empty() ? "" : ",") + v.get<std::string>();
        for (const auto& v : s["drives"]) drives += (drives.empty() ? "" : ",") + v.get<std::string>();
        std::cout << s["param"].get<std::string>() << "\t" << s["display"].get<std::string>() << "\tslew " << slews
                  << "\tdrive " << (drives.empty() ? "-" : drives) << "\n";
      }
    }
    exitCode = kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
