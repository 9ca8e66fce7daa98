// s4host svf DEVICE FILE.rbf -o OUT.svf: runs the driver's own JTAG sequence (programming by
// default) against a channel that records it as SVF, so that any JTAG player (OpenOCD,
// openFPGALoader, a production tester) can run it on a board without the host. After
// programming the file reads CONF_DONE and makes the player check that it is high.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/jtag_target.h"
#include "cli/progress.h"
#include "cli/session.h"
#include "cli/variant_json.h"
#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "platform/dispatch_call.h"
#include "platform/path.h"
#include "platform/widestring.h"
#include "simhost/sim_host.h"
#include "simhost/svf_channel.h"

namespace s4::cli {
namespace {

// The TCK frequency the run time is estimated at when none is given.
constexpr double kDefaultFrequency = 10e6;

std::string Grouped(std::uint64_t n) {
  std::string s = std::to_string(n);
  for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<std::size_t>(i), ",");
  return s;
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device;
    std::string file;
    std::string output;
    std::string chain = "fpga";
    std::optional<int> position;
    std::string operation = "program";
    double frequency = kDefaultFrequency;
    std::string expectUserCode;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("svf", "Write the driver's JTAG sequence as an SVF file that any JTAG player can run");
  cmd->add_option("DEVICE", o->device, "Device kind: number (0..485) or device name, e.g. EP4SGX70DF29C3")->required();
  cmd->add_option("FILE", o->file, "The raw bit file to program (for --operation program)");
  cmd->add_option("-o,--output", o->output, "The SVF file to write")->required();
  cmd->add_option("--chain", o->chain,
                  "The board's chain from the TDI end: fpga for the device, IR or IR:IDCODE for others "
                  "(they become the SVF headers and trailers; default: fpga)");
  cmd->add_option("--position", o->position, "The device's position on the chain, counted from TDI");
  cmd->add_option("--operation", o->operation,
                  "program (then check CONF_DONE), reset (then check it is low), state (check it is high), "
                  "usercode (read it)")
      ->check(CLI::IsMember({"program", "reset", "state", "usercode"}));
  auto* freq = cmd->add_option("--frequency", o->frequency,
                               "TCK frequency in Hz: written as FREQUENCY and used for the run-time estimate "
                               "(default: no FREQUENCY, estimate at 10 MHz)");
  cmd->add_option("--expect-usercode", o->expectUserCode, "With usercode: the player checks the code is this");
  cmd->add_flag("--json", o->json, "Print the summary as JSON");
  cmd->footer("Examples: s4host svf EP4SGX70DF29C3 design.rbf -o design.svf\n"
              "          s4host svf 0 design.rbf -o design.svf --chain 8:0x0A0B0C0D,fpga,6 --frequency 6e6\n"
              "          s4host svf 0 -o usercode.svf --operation usercode --expect-usercode 0x12345678\n"
              "Play it:  openocd ... -c init -c 'svf design.svf' -c shutdown\n"
              "          openFPGALoader -c CABLE design.svf");
  cmd->callback([&globals, &exitCode, o, freq] {
    const bool program = o->operation == "program";
    if (program && o->file.empty()) throw CommandError{kExitUsage, "--operation program needs the raw bit file FILE"};
    if (!program && !o->file.empty())
      throw CommandError{kExitUsage, "FILE is only for --operation program, not " + o->operation};
    const bool frequencyGiven = freq->count() > 0;
    if (!(o->frequency >= 1 && o->frequency <= 1e9))
      throw CommandError{kExitUsage, "--frequency must be 1..1e9 Hz"};
    std::optional<std::uint32_t> userCode;
    if (!o->expectUserCode.empty()) {
      if (o->operation != "usercode") throw CommandError{kExitUsage, "--expect-usercode is for --operation usercode"};
      std::size_t used = 0;
      unsigned long long v = 0;
      try {
        v = std::stoull(o->expectUserCode, &used, 0);
      } catch (...) {
        used = 0;
      }
      if (used != o->expectUserCode.size() || v > 0xFFFFFFFFull)
        throw CommandError{kExitUsage, "--expect-usercode '" + o->expectUserCode + "' is not a 32-bit number"};
      userCode = static_cast<std::uint32_t>(v);
    }
    std::error_code ec;
    std::uintmax_t fileBytes = 0;
    if (program) {
      if (!std::filesystem::is_regular_file(o->file, ec))
        throw CommandError{kExitEnvironment, "cannot read '" + o->file + "': no such file"};
      fileBytes = std::filesystem::file_size(o->file, ec);
    }

    // The chain, as the other JTAG commands read it.
    std::vector<ChainEntry> entries = ParseChain(o->chain);
    int ours = 0;
    while (!entries[static_cast<std::size_t>(ours)].ours) ++ours;
    if (o->position && *o->position != ours) {
      if (o->chain != "fpga")
        throw CommandError{kExitUsage, "--position " + std::to_string(*o->position) +
                                           " does not match the device's place in --chain (" + std::to_string(ours) + ")"};
      if (*o->position < 0 || *o->position > 31) throw CommandError{kExitUsage, "--position must be 0..31"};
      entries.assign(static_cast<std::size_t>(*o->position), ChainEntry{false, 8, std::nullopt});
      entries.push_back(ChainEntry{true, 10, std::nullopt});
      ours = *o->position;
    }
    sim::SvfChainLayout layout;
    layout.irLengths.clear();
    for (const auto& e : entries) layout.irLengths.push_back(e.ours ? 10 : e.irLength);
    layout.position = ours;

    const std::int32_t kind = ResolveKind(globals, o->device);
    const KindInfo info = DescribeKind(globals, kind);
    sim::SimHost& host = sim::SimHost::Configure({});

    // Written beside the output and renamed at the end: a player must never find half a file.
    const std::filesystem::path out = o->output;
    std::filesystem::path part = out;
    part += ".part";
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    if (!file) throw CommandError{kExitEnvironment, "cannot write '" + part.string() + "'"};
    struct RemoveOnFailure {
      std::filesystem::path path;
      bool keep = false;
      ~RemoveOnFailure() {
        std::error_code e;
        if (!keep) std::filesystem::remove(path, e);
      }
    } cleanup{part};

    sim::SvfChannel::Options channelOptions;
    channelOptions.spoolDir = std::filesystem::absolute(out, ec).parent_path();
    auto channel = sim::SvfChannel::Make(file, layout, channelOptions);
    sim::SvfWriter& svf = channel->writer();
    svf.Comment("Written by s4host " + o->operation + " for " + info.deviceName + " (IDCODE " +
                [&] {
                  char b[16];
                  std::snprintf(b, sizeof b, "0x%08X", info.idCode);
                  return std::string(b);
                }() +
                "), position " + std::to_string(ours) + " of " + std::to_string(entries.size()) +
                " from TDI: the driver's own sequence, recorded.");
    if (program) svf.Comment("Image: " + std::filesystem::path(o->file).filename().string() + ", " +
                             std::to_string(fileBytes) + " bytes");
    if (frequencyGiven) svf.Frequency(o->frequency);

    auto device = sim::SimObject::Make("device");
    device->Answer(hostid::IDispVireoDevice::GetDeviceName, Variant(std::u16string_view(Utf8ToUtf16(info.deviceName))));
    device->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::int32_t(ours)));
    device->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(channel->dispatch()));
    ComPtr<IDispatch> driver = LoadModule(globals).Driver(kind);
    if (!driver) throw CommandError{kExitEnvironment, "the module gave no driver for kind " + std::to_string(kind)};
    if (!CallDispatch(driver.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(device->dispatch())}).ok())
      throw CommandError{kExitFailure, "the driver refused the host device"};
    struct Detach {
      IDispatch* d;
      ~Detach() { CallDispatch(d, dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(nullptr)}); }
    } detach{driver.get()};

    auto fail = [&](const std::string& what, HRESULT hr) {
      std::string why = HresultName(hr);
      if (!channel->LastError().empty()) why += ": " + channel->LastError();
      throw CommandError{kExitFailure, what + " failed (" + why + "); no SVF file was written"};
    };
    auto call = [&](DISPID id, std::initializer_list<Variant> args = {}) {
      CallResult r = CallDispatch(driver.get(), id, args);
      return r;
    };

    // A state read checks CONF_DONE only where the driver knows where it is.
    std::uint64_t checkedBefore = 0;
    bool confDoneChecked = false;
    auto readState = [&](bool expectHigh, const char* comment) {
      svf.Comment(comment);
      channel->Expect({expectHigh, std::nullopt});
      checkedBefore = svf.Stats().checkedBits;
      const DISPID id = expectHigh ? dispid::VireoDriver::GetDeviceState : dispid::VireoDriver::ResetDevice;
      const CallResult r = call(id);
      if (!r.ok()) fail(expectHigh ? "GetDeviceState" : "ResetDevice", r.hr);
      confDoneChecked = svf.Stats().checkedBits > checkedBefore;
      if (!confDoneChecked) svf.Comment("The driver does not read CONF_DONE of " + info.baseName + ": nothing is checked.");
    };

    std::string summary;
    if (program) {
      ProgressBar bar("Recording", 100, !o->json);
      auto percent = std::make_shared<std::uint64_t>(0);
      host.guiManager->On(hostid::IDispGUIManager::StatusBarSetState, [&bar, percent](sim::SimCall& c) {
        if (c.Int(0) == -7) bar.Update(++*percent);
        return Variant();
      });
      svf.Comment("ProgramDevice: PROGRAM, configuration clocks, the image, STARTUP");
      const CallResult r = call(dispid::VireoDriver::ProgramDevice,
                                {Variant(std::u16string_view(ToHostPath(std::filesystem::absolute(o->file).string())))});
      if (!r.ok()) fail("ProgramDevice", r.hr);
      const std::int32_t bits = r.value.vt() == VT_I4 ? r.value.raw().lVal : 0;
      if (static_cast<std::uintmax_t>(bits) != 8 * fileBytes)
        throw CommandError{kExitFailure, "the driver sent " + std::to_string(bits) + " bits of a " +
                                             std::to_string(fileBytes) + "-byte file; no SVF file was written"};
      bar.Finish();
      // The bar ends here; later status-bar calls must not reach it.
      host.guiManager->On(hostid::IDispGUIManager::StatusBarSetState, [](sim::SimCall&) { return Variant(); });
      readState(true, "GetDeviceState: CHECK_STATUS, where the player checks that CONF_DONE is high");
      summary = "program, then the CONF_DONE check";
    } else if (o->operation == "reset") {
      readState(false, "ResetDevice: PROGRAM clears the device; CHECK_STATUS, where the player checks that CONF_DONE is low");
      summary = "reset, then the CONF_DONE check";
    } else if (o->operation == "state") {
      readState(true, "GetDeviceState: CHECK_STATUS, where the player checks that CONF_DONE is high");
      summary = "state: the CONF_DONE check";
    } else {
      svf.Comment(userCode ? "ReadUserCode: USERCODE; the player checks the code" : "ReadUserCode: USERCODE (not checked)");
      channel->Expect({std::nullopt, userCode});
      const CallResult r = call(dispid::VireoDriver::ReadUserCode);
      if (!r.ok()) fail("ReadUserCode", r.hr);
      summary = userCode ? "usercode, checked" : "usercode, read without a check";
    }
    try {
      channel->Finish();
    } catch (const sim::SvfError& e) {
      throw CommandError{kExitFailure, std::string(e.what()) + "; no SVF file was written"};
    }
    file.close();
    if (!file) throw CommandError{kExitEnvironment, "cannot write '" + part.string() + "'"};
    std::filesystem::rename(part, out, ec);
    if (ec) throw CommandError{kExitEnvironment, "cannot rename '" + part.string() + "' to '" + out.string() + "': " + ec.message()};
    cleanup.keep = true;

    const sim::SvfStats& s = svf.Stats();
    const double seconds = static_cast<double>(s.clocks) / o->frequency + s.waitSeconds;
    const bool stateRead = o->operation != "usercode";
    const std::string note = stateRead && !confDoneChecked
                                 ? "the driver does not know where " + info.baseName +
                                       " keeps CONF_DONE: the file does not check it"
                                 : "";
    if (o->json) {
      nlohmann::json j{{"device", info.deviceName},   {"position", ours},
                       {"chainLength", entries.size()}, {"operation", o->operation},
                       {"output", out.string()},      {"bytes", s.bytes},
                       {"commands", s.commands},      {"scans", s.scans},
                       {"longestScanBits", s.longestScan}, {"checkedBits", s.checkedBits},
                       {"tckCycles", s.clocks},       {"waitSeconds", s.waitSeconds},
                       {"frequencyHz", o->frequency}, {"expectedSeconds", seconds}};
      if (program) j["imageBytes"] = fileBytes;
      if (stateRead) j["confDoneChecked"] = confDoneChecked;
      std::cout << j.dump(2) << "\n";
    } else {
      std::printf("Wrote %s for %s at position %d of %zu: %s\n", out.string().c_str(), info.deviceName.c_str(), ours,
                  entries.size(), summary.c_str());
      std::printf("  %s bytes, %s commands, longest scan %s bits, %s TDO bits checked\n", Grouped(s.bytes).c_str(),
                  Grouped(s.commands).c_str(), Grouped(s.longestScan).c_str(), Grouped(s.checkedBits).c_str());
      std::printf("  %s TCK cycles and %.3f s of waits: about %.3f s at %g Hz\n", Grouped(s.clocks).c_str(),
                  s.waitSeconds, seconds, o->frequency);
      if (!note.empty()) std::printf("  Note: %s\n", note.c_str());
    }
    exitCode = kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
