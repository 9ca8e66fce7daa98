// s4host scan [DEVICE]: the devices on the JTAG chain with their IDCODEs and the devices of
// the family those codes belong to.
#include <cstdio>
#include <iostream>

#include "cli/jtag_target.h"
#include "cli/session.h"
#include "cli/variant_json.h"

namespace s4::cli {
namespace {

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device = "0";
    JtagOptions jtag;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("scan", "List the devices on the JTAG chain with their IDCODEs and device names");
  cmd->add_option("DEVICE", o->device, "The device kind (number or name) the simulated chain holds (default: kind 0)");
  o->jtag.AddTo(cmd, false);
  cmd->footer("Examples: s4host scan EP4SGX70DF29C3\n          s4host scan 0 --chain 8:0x0A0B0C0D,fpga,6\n"
              "          s4host scan --cable xvc://192.168.1.20:2542 --chain fpga");
  cmd->callback([&globals, &exitCode, o] {
    const std::int32_t kind = ResolveKind(globals, o->device);
    JtagTarget target(globals, kind, o->jtag);
    std::vector<std::uint32_t> codes;
    try {
      target.channel().Open();
      codes = target.channel().ScanIdCodes();
      target.channel().Close();
    } catch (const std::exception& e) {
      throw CommandError{kExitEnvironment, std::string("scanning the chain failed: ") + e.what()};
    }
    if (codes.size() != target.channel().DeviceCount() && !o->jtag.json)
      std::cout << "note: the chain holds " << codes.size() << " device(s), --chain describes "
                << target.channel().DeviceCount() << "; give --chain to match it before programming\n";
    nlohmann::json devices = nlohmann::json::array();
    if (!o->jtag.json)
      std::cout << "Chain of " << codes.size() << " device" << (codes.size() == 1 ? "" : "s")
                << (o->jtag.cable.empty() ? " (simulated)" : " behind " + o->jtag.cable) << ", TDI end first:\n";
    for (std::size_t i = 0; i < codes.size(); ++i) {
      const auto names = BaseNamesOfIdCode(globals, codes[i]);
      std::string what;
      if (!codes[i])
        what = "BYPASS only (no IDCODE)";
      else if (names.empty())
        what = "not a device of this family";
      else
        for (const auto& n : names) what += (what.empty() ? "" : ", ") + n;
      devices.push_back({{"position", i}, {"idcode", codes[i] ? nlohmann::json(Hex(codes[i])) : nlohmann::json()},
                         {"devices", names}});
      if (!o->jtag.json)
        std::cout << "  " << i << "  " << (codes[i] ? Hex(codes[i]) : std::string("-         ")) << "  " << what << "\n";
    }
    if (o->jtag.json) std::cout << nlohmann::json{{"devices", devices}}.dump(2) << "\n";
    exitCode = kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
