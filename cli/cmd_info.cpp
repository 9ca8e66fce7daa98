// s4host info DEVICE: every device-information query of one device, through Invoke.
#include <iostream>

#include "cli/device_lookup.h"
#include "cli/session.h"
#include "cli/variant_json.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"

namespace s4::cli {
namespace {

// Queries that take an argument are listed by the pins and standards commands instead.
bool TakesArgument(DISPID id) {
  namespace D = dispid::DeviceInformation;
  return id == D::GetDevicePin || id == D::GetIOStandard || id == D::GetDeviceParameter;
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("info", "Show every device-information answer of one device");
  cmd->add_option("DEVICE", o->device, "Full device name (case ignored), e.g. EP4SGX70DF29C2x, or a kind number")
      ->required();
  cmd->add_flag("--json", o->json, "Print the answers as JSON");
  cmd->footer("Examples: s4host info EP4SGX230KF40C2\n          s4host info 0 --json");
  cmd->callback([&globals, &exitCode, o] {
    const auto& module = LoadModule(globals);
    const DeviceEntry& d = ResolveDevice(module, o->device);
    const std::string package = DevicePackageOf(d.driver.get());
    const std::string provenance = PinDataProvenance(package), bsdlProvenance = BsdlSourceProvenance(package);
    nlohmann::json answers = nlohmann::json::object();
    bool failed = false;
    if (!o->json) std::cout << "kind " << d.kind << "\n";
    for (const auto& n : dispid::All()) {
      if (n.interfaceName != "DeviceInformation" || TakesArgument(n.id)) continue;
      CallResult r = CallDispatch(d.driver.get(), n.id);
      const std::string name(n.name);
      if (!r.ok()) {
        failed = true;
        answers[name] = {{"hresult", HresultToJson(r.hr)}};
        if (!o->json) std::cout << name << ": failed, " << HresultName(r.hr) << "\n";
        continue;
      }
      answers[name] = VariantToJson(r.value.raw());
      if (!o->json) std::cout << name << ": " << DescribeValue(r.value.raw()) << "\n";
    }
    if (o->json) {
      std::cout << nlohmann::json{{"kind", d.kind},
                                  {"name", d.name},
                                  {"provenance", provenance},
                                  {"bsdl_provenance", bsdlProvenance},
                                  {"answers", answers}}
                       .dump(2)
                << "\n";
    } else {
      std::cout << "provenance of the pin data: " << provenance
                << (provenance == "synthesized" ? " (made up, not vendor data)" : "") << "\n";
      std::cout << "provenance of the boundary-scan description: " << bsdlProvenance
                << (bsdlProvenance == "synthesized" ? " (made up, not vendor data)" : "") << "\n";
    }
    exitCode = failed ? kExitFailure : kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
