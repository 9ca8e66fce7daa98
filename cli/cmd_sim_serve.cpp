// s4host sim-serve [DEVICE]: serves a simulated JTAG chain on the loopback interface, over the
// XVC protocol and OpenOCD's remote_bitbang protocol, so that other JTAG programs (or s4host
// itself with --cable xvc://127.0.0.1:PORT) can drive it. Clients are served at once, their
// requests taking turns on the chain; after each client it reports what the simulated device
// received and how the client's connection ended.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include "cli/input_file.h"
#include "cli/jtag_target.h"
#include "cli/session.h"
#include "simhost/jtag_servers.h"

namespace s4::cli {
namespace {

std::atomic<bool> g_stop{false};
std::atomic<bool> g_failed{false};
extern "C" void StopServing(int) { g_stop = true; }

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string device = "0";
    std::string chain = "fpga";
    int xvcPort = 2542;
    int bitbangPort = 3335;
    std::string idcode;
    std::string expect;
    int clients = 0;
    double idleTimeout = 120;
    std::size_t configurationClocks = 0;
    bool configured = false;
    std::uint32_t userCode = 0xFFFFFFFFu;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("sim-serve", "Serve a simulated JTAG chain over XVC and remote_bitbang on 127.0.0.1");
  cmd->add_option("DEVICE", o->device, "The device kind (number or name) on the chain (default: kind 0)");
  cmd->add_option("--chain", o->chain, "Chain from the TDI end: fpga for the device, IR or IR:IDCODE for others");
  cmd->add_option("--xvc-port", o->xvcPort, "XVC port, 0 for none")->default_val(2542);
  cmd->add_option("--bitbang-port", o->bitbangPort, "remote_bitbang port, 0 for none")->default_val(3335);
  cmd->add_option("--idcode", o->idcode,
                  "IDCODE the device presents instead of its own (for programs that know only other parts)");
  cmd->add_option("--expect", o->expect, "A raw bit file: STARTUP succeeds only when exactly its bits arrived");
  cmd->add_option("--configuration-clocks", o->configurationClocks,
                  "Bits after PROGRAM that the device ignores before the image (default 0)");
  cmd->add_option("--clients", o->clients, "Stop after this many clients (default: serve until interrupted)");
  cmd->add_option("--idle-timeout", o->idleTimeout,
                  "Disconnect a client that sends nothing for this many seconds; 0: never (default 120)")
      ->check(CLI::Range(0.0, 86400.0));
  cmd->add_flag("--configured", o->configured, "The device starts configured");
  cmd->add_option("--sim-usercode", o->userCode, "The device's user code");
  cmd->footer("Example: s4host sim-serve 0 --idcode 0x02B050DD --expect design.rbf\n"
              "         openFPGALoader -c xvc-client --ip 127.0.0.1 --port 2542 design.rbf");
  cmd->callback([&globals, &exitCode, o] {
    const std::int32_t kind = ResolveKind(globals, o->device);
    const KindInfo info = DescribeKind(globals, kind);
    std::uint32_t idCode = info.idCode;
    if (!o->idcode.empty() && (!ParseUint32(o->idcode, idCode) || (idCode & 1u) == 0))
      throw CommandError{kExitUsage, "--idcode '" + o->idcode + "' is not an IDCODE: a 32-bit number with bit 0 set"};
    sim::JtagChain chain;
    sim::FamilyDevice* fpga = nullptr;
    int position = 0;
    for (const auto& e : ParseChain(o->chain)) {
      if (e.ours) {
        position = static_cast<int>(chain.size());
        fpga = &chain.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName(info.baseName, idCode)));
      } else {
        chain.Add(std::make_unique<sim::GenericDevice>(e.irLength, e.idCode.value_or(0), e.idCode ? 1 : -1));
      }
    }
    fpga->SetConfDone(o->configured);
    fpga->SetUserCode(o->userCode);
    fpga->SetConfigurationClocks(o->configurationClocks);
    if (!o->expect.empty()) {
      // The module counts the bits it programs in a 32-bit integer; a larger image cannot arrive.
      const std::string image = ReadInputFile(o->expect, INT32_MAX / 8);
      fpga->SetExpectedImage(std::vector<std::uint8_t>(image.begin(), image.end()));
    }
    if ((o->xvcPort == 0 && o->bitbangPort == 0) || o->xvcPort < 0 || o->xvcPort > 65535 || o->bitbangPort < 0 ||
        o->bitbangPort > 65535)
      throw CommandError{kExitUsage, "give at least one port in 1..65535"};

    std::mutex lock;
    std::vector<std::unique_ptr<sim::JtagServer>> servers;
    try {
      if (o->xvcPort)
        servers.push_back(std::make_unique<sim::JtagServer>(chain, sim::JtagServer::Protocol::Xvc,
                                                            static_cast<std::uint16_t>(o->xvcPort), &lock));
      if (o->bitbangPort)
        servers.push_back(std::make_unique<sim::JtagServer>(chain, sim::JtagServer::Protocol::RemoteBitbang,
                                                            static_cast<std::uint16_t>(o->bitbangPort), &lock));
    } catch (const std::exception& e) {
      throw CommandError{kExitEnvironment, e.what()};
    }
    std::printf("Serving %s (IDCODE 0x%08X) at position %d of %zu:", info.deviceName.c_str(), idCode, position,
                chain.size());
    for (const auto& s : servers)
      std::printf(" %s on 127.0.0.1:%u", s->protocol() == sim::JtagServer::Protocol::Xvc ? "XVC" : "remote_bitbang",
                  s->Port());
    std::printf("\n");
    std::fflush(stdout);

    std::signal(SIGINT, StopServing);
    std::signal(SIGTERM, StopServing);
    std::vector<std::thread> threads;
    for (auto& s : servers) {
      s->SetIdleTimeout(std::chrono::milliseconds(static_cast<long long>(o->idleTimeout * 1000)));
      threads.emplace_back([&s] {
        // An exception must not leave a thread (that would abort): it ends the serving.
        try {
          s->Run(g_stop);
        } catch (const std::exception& e) {
          std::fprintf(stderr, "s4host: sim-serve: the server on port %u failed: %s\n", s->Port(), e.what());
          g_failed = true;
          g_stop = true;
        }
      });
    }
    // Clients of both servers are numbered together in the order they end; each report
    // carries that client's own protocol error, if it had one.
    int reported = 0;
    const auto report = [&] {
      for (const auto& s : servers) {
        const char* protocol = s->protocol() == sim::JtagServer::Protocol::Xvc ? "XVC" : "remote_bitbang";
        for (const auto& r : s->TakeReports()) {
          if (r.end == sim::JtagServer::ClientReport::End::Refused) {
            std::printf("%s client refused: %s\n", protocol, r.message.c_str());
            continue;
          }
          std::lock_guard guard(lock);
          std::printf("client %d (%s) done: %zu bits received since PROGRAM, CONF_DONE %s%s\n", ++reported, protocol,
                      fpga->Received().size(), fpga->ConfDone() ? "high" : "low",
                      o->expect.empty() ? "" : (fpga->BitstreamIsImage() ? ", the expected image" : ", NOT the expected image"));
          if (r.end == sim::JtagServer::ClientReport::End::ProtocolError)
            std::printf("  protocol error: %s\n", r.message.c_str());
          else if (!r.message.empty())
            std::printf("  %s\n", r.message.c_str());
        }
      }
      std::fflush(stdout);
    };
    while (!g_stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      report();
      int served = 0;
      for (const auto& s : servers) served += s->ClientsServed();
      if (o->clients > 0 && served >= o->clients) g_stop = true;
    }
    for (auto& t : threads) t.join();
    report();
    exitCode = g_failed ? kExitEnvironment : kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
