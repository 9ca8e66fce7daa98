// s4host pins DEVICE [--bank B]: the pins of a device with bank, pair ids, kind flags and the
// number of standards, through the pin objects the module hands out.
#include <cstdio>
#include <algorithm>
#include <iostream>

#include "cli/device_lookup.h"
#include "cli/session.h"
#include "driver/dispids.h"
#include "nlohmann/json.hpp"
#include "platform/widestring.h"

namespace s4::cli {
namespace {

namespace P = dispid::DevicePin;

// The pin kind flags in bit order, with the names the pin data files use.
const std::pair<const char*, DISPID> kFlags[] = {
    {"IO", P::GetIsIOPin},           {"VREF", P::GetIsVREFPin},
    {"CLK", P::GetIsCLKPin},         {"SPECIAL", P::GetIsSpecialPin},
    {"INPUT_ONLY", P::GetIsInputOnlyPin}, {"DCIP", P::GetIsDCIP_Pin},
    {"DCIN", P::GetIsDCIN_Pin},      {"DIFFP", P::GetIsDiffP_Pin},
    {"DIFFN", P::GetIsDiffN_Pin},    {"HDIFFP", P::GetIsHDiffP_Pin},
    {"HDIFFN", P::GetIsHDiffN_Pin},  {"TXDIFF", P::GetIsTransmitDiffPin},
    {"RXDIFF", P::GetIsReceiveDiffPin}, {"CLKDIFFP", P::GetIsClkDiffP_Pin},
    {"CLKDIFFN", P::GetIsClkDiffN_Pin}, {"DLL", P::GetIsDLLPin},
};

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device, bank;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("pins", "List the pins of a device: number, bank, pair ids, flags, standards");
  cmd->add_option("DEVICE", o->device, "Full device name (case ignored) or a kind number")->required();
  cmd->add_option("--bank", o->bank, "Only the pins of this I/O bank, e.g. 7C (case ignored)");
  cmd->add_flag("--json", o->json, "Print the pins as JSON");
  cmd->footer("Examples: s4host pins EP4SGX70DF29C2x --bank 7C\n          s4host pins 0 --json");
  cmd->callback([&globals, &exitCode, o] {
    const auto& module = LoadModule(globals);
    const DeviceEntry& d = ResolveDevice(module, o->device);
    IDispatch* drv = d.driver.get();
    const std::string provenance = PinDataProvenance(DevicePackageOf(drv));
    const std::int32_t count = AskInt(drv, dispid::DeviceInformation::GetDevicePinCount);
    nlohmann::json pins = nlohmann::json::array();
    std::vector<std::string> banks;
    for (std::int32_t i = 0; i < count; ++i) {
      auto pin = AskObject(drv, dispid::DeviceInformation::GetDevicePin, i);
      if (!pin) throw CommandError{kExitFailure, "the module gave no pin for index " + std::to_string(i)};
      const std::string bank = AskText(pin.get(), P::GetIOBank);
      if (!bank.empty() && std::find(banks.begin(), banks.end(), bank) == banks.end()) banks.push_back(bank);
      if (!o->bank.empty() && !EqualsIgnoreCase(Utf8ToUtf16(bank), Utf8ToUtf16(o->bank))) continue;
      nlohmann::json flags = nlohmann::json::array();
      for (const auto& [name, id] : kFlags)
        if (AskBool(pin.get(), id)) flags.push_back(name);
      pins.push_back({{"index", i},
                      {"number", AskText(pin.get(), P::GetPinNumber)},
                      {"bank", bank},
                      {"diffId", AskText(pin.get(), P::GetDifferentialId)},
                      {"clkDiffId", AskText(pin.get(), P::GetClkDifferentialId)},
                      {"flags", flags},
                      {"standards", AskInt(pin.get(), P::GetIOStandardCount)}});
    }
    if (!o->bank.empty() && pins.empty()) {
      std::sort(banks.begin(), banks.end());
      std::string known;
      for (const auto& b : banks) known += (known.empty() ? "" : " ") + b;
      throw CommandError{kExitUsage, "device " + d.name + " has no bank '" + o->bank + "'; its banks: " +
                                         (known.empty() ? "none (no pin of this device is in a bank)" : known)};
    }
    if (o->json) {
      std::cout << nlohmann::json{{"kind", d.kind}, {"name", d.name}, {"provenance", provenance}, {"pins", pins}}
                       .dump(2)
                << "\n";
    } else {
      std::cout << "# " << d.name << ": " << pins.size() << " of " << count << " pins; provenance: " << provenance
                << (provenance == "synthesized" ? " (made up, not vendor data)" : "") << "\n";
      std::printf("%-6s %-5s %-9s %-9s %-4s %s\n", "PIN", "BANK", "DIFFID", "CLKDIFF", "STDS", "FLAGS");
      for (const auto& p : pins) {
        std::string flags;
        for (const auto& f : p["flags"]) flags += (flags.empty() ? "" : ",") + f.get<std::string>();
        std::printf("%-6s %-5s %-9s %-9s %-4d %s\n", p["number"].get<std::string>().c_str(),
                    p["bank"].get<std::string>().c_str(), p["diffId"].get<std::string>().c_str(),
                    p["clkDiffId"].get<std::string>().c_str(), p["standards"].get<int>(), flags.c_str());
      }
    }
    exitCode = kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
