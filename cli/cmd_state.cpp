// s4host state / reset / usercode DEVICE: the driver's other JTAG operations on the device.
#include <cstdio>
#include <iostream>

#include "cli/device_state.h"
#include "cli/jtag_target.h"
#include "cli/session.h"
#include "cli/variant_json.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"
#include "simhost/sim_host.h"

namespace s4::cli {
namespace {

enum class Op { State, Reset, UserCode };

void RegisterOne(CLI::App& app, GlobalOptions& globals, int& exitCode, Op op) {
  struct Options {
    std::string device;
    JtagOptions jtag;
  };
  auto o = std::make_shared<Options>();
  const char* name = op == Op::State ? "state" : op == Op::Reset ? "reset" : "usercode";
  const char* what = op == Op::State   ? "Read whether the device is configured (2) or not (1)"
                     : op == Op::Reset ? "Reset the device (clear its configuration) and check that it took"
                                       : "Read the device's 32-bit user code";
  auto* cmd = app.add_subcommand(name, what);
  cmd->add_option("DEVICE", o->device, "Device kind: number (0..485) or device name, e.g. EP4SGX70DF29C3")->required();
  o->jtag.AddTo(cmd, true);
  cmd->footer(std::string("Example: s4host ") + name + " EP4SGX70DF29C3" +
              (op == Op::UserCode ? " --sim-usercode 0x12345678" : " --configured"));
  cmd->callback([&globals, &exitCode, o, op, name] {
    const std::int32_t kind = ResolveKind(globals, o->device);
    sim::SimHost::Configure({});
    JtagTarget target(globals, kind, o->jtag);
    const DISPID id = op == Op::State   ? dispid::VireoDriver::GetDeviceState
                      : op == Op::Reset ? dispid::VireoDriver::ResetDevice
                                        : dispid::VireoDriver::ReadUserCode;
    const CallResult r = CallDispatch(target.driver(), id);
    if (!r.ok()) {
      if (o->jtag.json)
        std::cout << nlohmann::json{{"hresult", HresultToJson(r.hr)}}.dump(2) << "\n";
      else
        std::cerr << "s4host: " << name << " failed: " << HresultName(r.hr) << "\n";
      exitCode = kExitFailure;
      return;
    }
    nlohmann::json j{{"device", target.info().deviceName}, {"position", target.position()}};
    switch (op) {
      case Op::State: {
        const std::int32_t st = r.value.raw().lVal;
        j["state"] = st;
        j["stateKnown"] = StateIsReadable(target.info().baseName);
        if (!o->jtag.json) std::printf("%d (%s)\n", st, StateText(st, target.info().baseName).c_str());
        exitCode = kExitOk;
        break;
      }
      case Op::Reset: {
        const bool ok = r.value.raw().boolVal != VARIANT_FALSE;
        const bool known = StateIsReadable(target.info().baseName);
        j["reset"] = ok;
        j["stateKnown"] = known;
        if (!o->jtag.json)
          std::printf("%s\n", !known ? "reset sent; whether it took is unknown: no CONF_DONE position for this device"
                               : ok   ? "reset: the device reads as not configured"
                                      : "reset did NOT take: the device still reads as configured");
        exitCode = ok ? kExitOk : kExitFailure;
        break;
      }
      case Op::UserCode: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%08X", static_cast<std::uint32_t>(r.value.raw().lVal));
        j["usercode"] = buf;
        if (!o->jtag.json) std::printf("%s\n", buf);
        exitCode = kExitOk;
        break;
      }
    }
    if (o->jtag.json) std::cout << j.dump(2) << "\n";
  });
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  RegisterOne(app, globals, exitCode, Op::State);
  RegisterOne(app, globals, exitCode, Op::Reset);
  RegisterOne(app, globals, exitCode, Op::UserCode);
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
