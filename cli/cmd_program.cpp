// s4host program DEVICE FILE.rbf: programs the device over JTAG through the driver, as the
// host's download stage does, with a progress bar and the time and rate at the end.
#include <chrono>
#include <filesystem>
#include <iostream>

#include "cli/device_state.h"
#include "cli/jtag_target.h"
#include "cli/progress.h"
#include "cli/session.h"
#include "cli/variant_json.h"
#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "jtag/configuration.h"
#include "platform/dispatch_call.h"
#include "platform/files.h"
#include "platform/path.h"
#include "simhost/sim_host.h"

namespace s4::cli {
namespace {

// The configuration clocks the driver sends before the data when no plug-in configuration
// asks for another count; the simulated device takes the image to start after them.
constexpr std::size_t kConfigurationClocks = 175;

// The bytes of the file to program, or a CommandError that names the file and the reason:
// missing, not a regular file, unreadable, empty or larger than the module programs. The
// size is checked before anything is read.
std::vector<std::uint8_t> ReadProgramFile(const std::string& shown, std::u16string_view hostPath) {
  FileReader in(hostPath);
  // The system's reason reads on after a colon: "No such file..." becomes "no such file...".
  const auto reason = [&in] {
    std::string r = in.Error();
    if (r.size() > 1 && r[0] >= 'A' && r[0] <= 'Z' && !(r[1] >= 'A' && r[1] <= 'Z')) r[0] = static_cast<char>(r[0] - 'A' + 'a');
    return r;
  };
  if (!in.IsOpen()) throw CommandError{kExitEnvironment, "cannot read '" + shown + "': " + reason()};
  if (in.Size() == 0) throw CommandError{kExitEnvironment, "'" + shown + "' is empty: there is nothing to program"};
  if (in.Size() > jtag::kMaxFileBytes)
    throw CommandError{kExitEnvironment, "'" + shown + "' is too large to program: " + std::to_string(in.Size()) +
                                             " bytes, at most " + std::to_string(jtag::kMaxFileBytes)};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.Size()));
  for (std::size_t done = 0; done < bytes.size();) {
    const std::ptrdiff_t got = in.Read(bytes.data() + done, bytes.size() - done);
    if (got < 0) throw CommandError{kExitEnvironment, "cannot read '" + shown + "': " + reason()};
    if (got == 0) throw CommandError{kExitEnvironment, "cannot read '" + shown + "': it became shorter while it was read"};
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device;
    std::string file;
    JtagOptions jtag;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("program", "Program the device with a raw bit file (.rbf) over JTAG");
  cmd->add_option("DEVICE", o->device, "Device kind: number (0..485) or device name, e.g. EP4SGX70DF29C3")->required();
  cmd->add_option("FILE", o->file, "The raw bit file to program")->required();
  o->jtag.AddTo(cmd, true);
  cmd->footer("Examples: s4host program EP4SGX70DF29C3 design.rbf\n"
              "          s4host program 0 design.rbf --chain 8:0x0A0B0C0D,fpga,6\n"
              "          s4host program 0 design.rbf --cable xvc://192.168.1.20:2542");
  cmd->callback([&globals, &exitCode, o] {
    // The file is checked here, before the module is called: the module refuses what it
    // cannot program with a bare E_UNEXPECTED and cannot say which file or why.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(o->file, ec);
    const std::u16string hostPath = ToHostPath((ec ? std::filesystem::path(o->file) : absolute).string());
    std::vector<std::uint8_t> bytes = ReadProgramFile(o->file, hostPath);
    const std::int32_t kind = ResolveKind(globals, o->device);
    sim::SimHost& host = sim::SimHost::Configure({});
    JtagTarget target(globals, kind, o->jtag);
    if (auto* fpga = target.simulated()) {
      fpga->SetConfigurationClocks(static_cast<std::size_t>(target.position()) + kConfigurationClocks);
      fpga->SetExpectedImage(bytes);
    }

    // The module reports progress through the host's status bar: one step per percent.
    ProgressBar bar("Programming", 100, !o->jtag.json);
    auto percent = std::make_shared<std::uint64_t>(0);
    host.guiManager->On(hostid::IDispGUIManager::StatusBarSetState, [&bar, percent](sim::SimCall& c) {
      if (c.Int(0) == -7) bar.Update(++*percent);
      return Variant();
    });

    const auto start = std::chrono::steady_clock::now();
    const CallResult r = CallDispatch(target.driver(), dispid::VireoDriver::ProgramDevice, {Variant(std::u16string_view(hostPath))});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (r.ok()) bar.Finish();
    const std::int32_t bits = r.ok() && r.value.vt() == VT_I4 ? r.value.raw().lVal : 0;
    const CallResult state = CallDispatch(target.driver(), dispid::VireoDriver::GetDeviceState);
    const std::int32_t st = state.ok() && state.value.vt() == VT_I4 ? state.value.raw().lVal : 0;
    const auto* fpga = target.simulated();

    if (o->jtag.json) {
      nlohmann::json j{{"device", target.info().deviceName}, {"position", target.position()},
                       {"hresult", HresultToJson(r.hr)}, {"bits", bits}, {"seconds", seconds},
                       {"kbitsPerSecond", seconds > 0 ? bits / seconds / 1000 : 0.0}, {"state", st},
                       {"stateKnown", StateIsReadable(target.info().baseName)}};
      if (fpga)
        j["simulated"] = {{"receivedBits", fpga->Received().size()}, {"imageMatches", fpga->BitstreamIsImage()}};
      std::cout << j.dump(2) << "\n";
    } else if (r.ok()) {
      std::printf("Programmed %s with %s: %d bits in %.3f s (%.1f kbit/s)\n", target.Where().c_str(), o->file.c_str(),
                  bits, seconds, seconds > 0 ? bits / seconds / 1000 : 0.0);
      std::printf("Device state: %d (%s)\n", st, StateText(st, target.info().baseName).c_str());
      if (fpga)
        std::printf("The simulated device received %zu bits; the file's bits %s.\n", fpga->Received().size(),
                    fpga->BitstreamIsImage() ? "arrived exactly, after the configuration clocks" : "did NOT arrive intact");
    } else {
      std::cerr << "s4host: programming " << target.Where() << " with '" << o->file << "' failed: " << HresultName(r.hr)
                << "\n";
    }
    // Success is every bit sent (and, on the simulated chain, received as sent). The state read
    // afterwards is shown but not judged: for EP4SE820 the driver cannot read CONF_DONE and
    // always answers 1.
    const bool sent = r.ok() && bits == static_cast<std::int32_t>(8 * bytes.size());
    exitCode = sent && (!fpga || fpga->BitstreamIsImage()) ? kExitOk : kExitFailure;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
