// The simulated JTAG chain on its own: the controller's state table, the devices' registers as
// the host's channel reaches them, and the chain served to JTAG programs that are not ours
// (openFPGALoader over XVC, OpenOCD over remote_bitbang), which checks the simulation against
// independent implementations before the module is judged against it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "simhost/jtag_chain.h"
#include "simhost/jtag_servers.h"
#include "simhost/sim_jtag_channel.h"
#include "simhost/xvc_cable.h"

namespace s4::sim {
namespace {

// ---- The controller -------------------------------------------------------------------------

TEST(TapController, NextStateTableIsTheStandardOne) {
  // The state diagram of IEEE 1149.1, written by name: state, next with TMS 0, next with TMS 1.
  const std::map<std::string, std::pair<std::string, std::string>> diagram = {
      {"RESET", {"IDLE", "RESET"}},           {"IDLE", {"IDLE", "DRSELECT"}},
      {"DRSELECT", {"DRCAPTURE", "IRSELECT"}}, {"DRCAPTURE", {"DRSHIFT", "DREXIT1"}},
      {"DRSHIFT", {"DRSHIFT", "DREXIT1"}},     {"DREXIT1", {"DRPAUSE", "DRUPDATE"}},
      {"DRPAUSE", {"DRPAUSE", "DREXIT2"}},     {"DREXIT2", {"DRSHIFT", "DRUPDATE"}},
      {"DRUPDATE", {"IDLE", "DRSELECT"}},      {"IRSELECT", {"IRCAPTURE", "RESET"}},
      {"IRCAPTURE", {"IRSHIFT", "IREXIT1"}},   {"IRSHIFT", {"IRSHIFT", "IREXIT1"}},
      {"IREXIT1", {"IRPAUSE", "IRUPDATE"}},    {"IRPAUSE", {"IRPAUSE", "IREXIT2"}},
      {"IREXIT2", {"IRSHIFT", "IRUPDATE"}},    {"IRUPDATE", {"IDLE", "DRSELECT"}},
  };
  ASSERT_EQ(diagram.size(), 16u);
  for (int s = 1; s <= 16; ++s) {
    const auto state = static_cast<TapState>(s);
    const auto& expected = diagram.at(std::string(TapStateName(state)));
    EXPECT_EQ(TapStateName(TapNext(state, false)), expected.first) << TapStateName(state);
    EXPECT_EQ(TapStateName(TapNext(state, true)), expected.second) << TapStateName(state);
  }
}

TEST(TapController, PathsReachEveryStateFromEveryState) {
  for (int f = 0; f <= 16; ++f)
    for (int t = 1; t <= 16; ++t) {
      const auto from = static_cast<TapState>(f), to = static_cast<TapState>(t);
      const TmsPath path = TapPath(from, to);
      // Walked from any real state when the start is unknown.
      for (int real = (f == 0 ? 1 : f); real <= (f == 0 ? 16 : f); ++real) {
        TapState s = static_cast<TapState>(real);
        for (int k = 0; k < path.length; ++k) s = TapNext(s, path.tms[k]);
        EXPECT_EQ(s, to) << TapStateName(from) << " (really " << real << ") -> " << TapStateName(to);
      }
    }
  EXPECT_EQ(TapPath(TapState::RunTestIdle, TapState::ShiftDR).length, 3);
  EXPECT_EQ(TapPath(TapState::RunTestIdle, TapState::ShiftIR).length, 4);
  EXPECT_EQ(TapPath(TapState::Exit1DR, TapState::RunTestIdle).length, 2);
  EXPECT_EQ(TapPath(TapState::ShiftDR, TapState::ShiftDR).length, 0);
}

// ---- Devices on a chain, through the host's channel ----------------------------------------

struct ThreeDeviceChain {
  JtagChain chain;
  GenericDevice* first;
  FamilyDevice* fpga;
  GenericDevice* last;
  ComPtr<SimJtagChannel> channel;
  ThreeDeviceChain() {
    first = &chain.Add(std::make_unique<GenericDevice>(8, 0x0A0B0C0Du, 0x01));
    fpga = &chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("ep4sgx70d", 0x024090DDu)));
    last = &chain.Add(std::make_unique<GenericDevice>(6, 0, -1));  // no IDCODE
    channel = SimJtagChannel::Make(std::make_unique<ChainCable>(chain), {8, 10, 6});
    channel->Open();
  }
};

TEST(SimulatedChain, ScanFindsIdCodesAndBypassOnlyDevices) {
  ThreeDeviceChain c;
  EXPECT_EQ(c.channel->ScanIdCodes(), (std::vector<std::uint32_t>{0x0A0B0C0Du, 0x024090DDu, 0}));
}

TEST(SimulatedChain, InstructionsReachTheAddressedDeviceOnly) {
  ThreeDeviceChain c;
  c.fpga->SetUserCode(0xCAFEF00Du);
  c.channel->GotoState(TapState::RunTestIdle);
  c.channel->SetInstruction(family_ir::kUsercode, 1);
  EXPECT_EQ(c.fpga->Instruction(), family_ir::kUsercode);
  EXPECT_EQ(c.first->Instruction(), 0xFFu);
  EXPECT_EQ(c.last->Instruction(), 0x3Fu);
  EXPECT_EQ(c.channel->State(), TapState::RunTestIdle);
  EXPECT_EQ(c.channel->ShiftData(0, 32, 1), 0xCAFEF00Du);
  c.channel->SetInstruction(family_ir::kIdcode, 1);
  EXPECT_EQ(c.channel->ShiftData(0, 32, 1), 0x024090DDu);
  c.channel->SetInstruction(0x01, 0);
  EXPECT_EQ(c.channel->ShiftData(0, 32, 0), 0x0A0B0C0Du);
}

TEST(SimulatedChain, SampleCapturesThePinValuesCellZeroFirst) {
  ThreeDeviceChain c;
  c.fpga->SetPinValues({true, false, true, true, false, false, false, true, true, true});
  c.channel->SetInstruction(sim::family_ir::kSample, 1);
  EXPECT_EQ(c.channel->ShiftData(0, 10, 1), 0b1110001101u);
  // Test-Logic-Reset selects IDCODE again.
  c.channel->GotoState(TapState::TestLogicReset);
  EXPECT_EQ(c.fpga->Instruction(), sim::family_ir::kIdcode);
}

TEST(SimulatedChain, CheckStatusHoldsConfDoneAtItsDocumentedBit) {
  // EP4SGX70D: N = 438, K = 122, so CONF_DONE is bit 949 from the TDO end; its neighbours
  // read the opposite.
  for (const bool done : {false, true}) {
    JtagChain chain;
    auto& fpga = chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", 1)));
    fpga.SetConfDone(done);
    auto channel = SimJtagChannel::Make(std::make_unique<ChainCable>(chain), {10});
    channel->Open();
    channel->SetInstruction(family_ir::kCheckStatus, 0);
    channel->MoveState(TapState::RunTestIdle, TapState::ShiftDR);
    for (int k = 0; k < 948; ++k) channel->ClockTMS(false);
    EXPECT_EQ(chain.Tdo(), !done);
    channel->ClockTMS(false);
    EXPECT_EQ(chain.Tdo(), done);
    channel->ClockTMS(false);
    EXPECT_EQ(chain.Tdo(), !done);
  }
}

TEST(SimulatedChain, ProgramRecordsTheBitstreamAndStartupChecksTheImage) {
  const std::vector<std::uint8_t> image = {0x01, 0x80, 0x5A};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> sent;
    bool expectImage;
    bool done;
  };
  const Case cases[] = {
      {"any bitstream without an expected image", {0x00}, false, true},
      {"the expected image", image, true, true},
      {"the image followed by ones", {0x01, 0x80, 0x5A, 0xFF}, true, true},
      {"a truncated image", {0x01, 0x80}, true, false},
      {"a wrong bit", {0x01, 0x80, 0x5B}, true, false},
      {"nothing", {}, false, false},
  };
  for (const auto& c : cases) {
    JtagChain chain;
    auto& fpga = chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SE230", 1)));
    fpga.SetConfDone(true);
    fpga.SetConfigurationClocks(4);
    if (c.expectImage) fpga.SetExpectedImage(image);
    auto channel = SimJtagChannel::Make(std::make_unique<ChainCable>(chain), {10});
    channel->Open();
    channel->SetInstruction(family_ir::kProgram, 0);
    EXPECT_FALSE(fpga.ConfDone()) << c.what;
    channel->GotoState(TapState::ShiftDR);
    std::vector<bool> tms, tdi, tdo;
    for (int k = 0; k < 4; ++k) tdi.push_back(true);
    for (auto byte : c.sent)
      for (int b = 0; b < 8; ++b) tdi.push_back((byte >> b) & 1);
    // The last bit leaves Shift-DR with TMS high (and is still shifted).
    tms.assign(tdi.size(), false);
    tms.back() = true;
    channel->cable().Scan(tms, tdi, tdo);
    channel->MoveState(TapState::Exit1DR, TapState::RunTestIdle);
    channel->SetInstruction(family_ir::kStartup, 0);
    EXPECT_EQ(fpga.ConfDone(), c.done) << c.what;
    EXPECT_EQ(fpga.BitstreamLength(), 8 * c.sent.size()) << c.what;
    EXPECT_TRUE(fpga.Received().HoldsBytesAt(4, c.sent)) << c.what;
  }
}

// ---- Channel as the host object ------------------------------------------------------------

TEST(SimulatedChannel, RefusesCallsWhileClosedAndFailsOnRequest) {
  ThreeDeviceChain c;
  c.channel->Close();
  IDispatch* d = c.channel->dispatch();
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT r;
  VariantInit(&r);
  EXPECT_EQ(d->Invoke(channel_id::kGetDeviceCount, IID_NULL, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr), E_FAIL);
  EXPECT_EQ(c.channel->Apply(), E_FAIL);
  EXPECT_EQ(c.channel->CallsWhileClosed(), 2);
  EXPECT_EQ(d->Invoke(channel_id::kOpen, IID_NULL, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr), S_OK);
  EXPECT_EQ(d->Invoke(channel_id::kGetDeviceCount, IID_NULL, 0, DISPATCH_METHOD, &none, &r, nullptr, nullptr), S_OK);
  EXPECT_EQ(r.vt, VT_I4);
  EXPECT_EQ(r.lVal, 3);
  c.channel->FailCall(c.channel->Calls() + 2);
  EXPECT_EQ(c.channel->SetTCK(true), S_OK);
  EXPECT_EQ(c.channel->Apply(), E_FAIL);
}

TEST(SimulatedChannel, PinLevelClocksDriveTheSameController) {
  ThreeDeviceChain c;
  void* raw = nullptr;
  ASSERT_EQ(c.channel->dispatch()->QueryInterface(IID_IJTagPinAccess, &raw), S_OK);
  auto* pins = static_cast<IJTagPinAccess*>(raw);
  c.channel->GotoState(TapState::RunTestIdle);
  // TMS high on one rising edge: Run-Test/Idle -> Select-DR. Setting levels without Apply,
  // or Apply without a rising edge, clocks nothing.
  pins->SetTMS(true);
  pins->SetTCK(true);
  EXPECT_EQ(c.chain.State(), TapState::RunTestIdle);
  pins->Apply();
  EXPECT_EQ(c.chain.State(), TapState::SelectDR);
  pins->Apply();
  pins->SetTCK(false);
  pins->Apply();
  EXPECT_EQ(c.chain.State(), TapState::SelectDR);
  c.channel->ClockTMS(false);
  EXPECT_EQ(c.chain.State(), TapState::CaptureDR);
  EXPECT_EQ(c.channel->State(), TapState::CaptureDR);
  pins->Release();
}

// ---- Programs that are not ours ------------------------------------------------------------

std::string FindTool(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const auto candidate = std::filesystem::path(dir) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

int RunTool(const std::string& command, std::string& output) {
  const std::string log = std::filesystem::temp_directory_path() / ("s4_peer_" + std::to_string(::getpid()) + ".log");
  const int rc = std::system((command + " > " + log + " 2>&1").c_str());
  std::ifstream in(log);
  output.assign(std::istreambuf_iterator<char>(in), {});
  std::filesystem::remove(log);
  return rc;
}

TEST(JtagPeers, OpenFpgaLoaderProgramsTheSimulatedDeviceOverXvc) {
  const std::string tool = FindTool("openFPGALoader");
  if (tool.empty()) GTEST_SKIP() << "openFPGALoader is not installed (Debian package openfpgaloader)";
  // openFPGALoader programs only devices on its own list; a Cyclone V part with the same
  // 10-bit instruction set stands in for ours.
  JtagChain chain;
  auto& fpga = chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", 0x02B050DDu)));
  std::vector<std::uint8_t> file(3000);
  std::mt19937 random(7);
  for (auto& b : file) b = static_cast<std::uint8_t>(random());
  file[0] = 0x6A;
  fpga.SetExpectedImage(file);
  const auto path = std::filesystem::temp_directory_path() / ("s4_peer_" + std::to_string(::getpid()) + ".rbf");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

  JtagServer server(chain, JtagServer::Protocol::Xvc, 0);
  server.Start();
  std::string output;
  const int rc = RunTool("timeout 120 " + tool + " -c xvc-client --ip 127.0.0.1 --port " + std::to_string(server.Port()) +
                         " " + path.string(),
                     output);
  server.Stop();
  std::filesystem::remove(path);
  EXPECT_EQ(rc, 0) << output;
  EXPECT_EQ(server.LastError(), "");
  ASSERT_GE(fpga.Received().size(), 8 * file.size()) << output;
  EXPECT_TRUE(fpga.Received().HoldsBytesAt(0, file)) << fpga.Received().Text(0, 64);
  EXPECT_EQ(fpga.LoadCount(family_ir::kStartup), 1);
  EXPECT_TRUE(fpga.ConfDone());
}

TEST(JtagPeers, OpenOcdFindsTheDeviceOverRemoteBitbang) {
  const std::string tool = FindTool("openocd");
  if (tool.empty()) GTEST_SKIP() << "openocd is not installed (Debian package openocd)";
  JtagChain chain;
  chain.Add(std::make_unique<GenericDevice>(8, 0x0A0B0C0Du, 0x01));
  chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX230K", 0x024090DDu)));
  JtagServer server(chain, JtagServer::Protocol::RemoteBitbang, 0);
  server.Start();
  std::string output;
  const int rc = RunTool("timeout 60 " + tool + " -c 'adapter driver remote_bitbang' -c 'remote_bitbang host 127.0.0.1'" +
                         " -c 'remote_bitbang port " + std::to_string(server.Port()) + "' -c 'transport select jtag'" +
                         " -c 'jtag newtap fpga tap -irlen 10 -expected-id 0x024090dd'" +
                         " -c 'jtag newtap other tap -irlen 8 -expected-id 0x0a0b0c0d'" +
                         " -c init -c scan_chain -c shutdown",
                     output);
  server.Stop();
  EXPECT_EQ(rc, 0) << output;
  // OpenOCD checks each declared tap's IDCODE and complains about any other.
  EXPECT_NE(output.find("0x024090dd"), std::string::npos) << output;
  EXPECT_EQ(output.find("UNEXPECTED"), std::string::npos) << output;
  EXPECT_EQ(output.find("mismatch"), std::string::npos) << output;
}

TEST(XvcCableTest, HostChannelOverXvcReachesTheServedChain) {
  JtagChain chain;
  chain.Add(std::make_unique<GenericDevice>(8, 0x0A0B0C0Du, 0x01));
  auto& fpga = chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", 0x024090DDu)));
  fpga.SetUserCode(0x12345678u);
  JtagServer server(chain, JtagServer::Protocol::Xvc, 0);
  server.Start();
  {
    auto channel = SimJtagChannel::Make(XvcCable::Connect("127.0.0.1", server.Port()), {8, 10});
    channel->Open();
    EXPECT_EQ(channel->ScanIdCodes(), (std::vector<std::uint32_t>{0x0A0B0C0Du, 0x024090DDu}));
    channel->SetInstruction(family_ir::kUsercode, 1);
    EXPECT_EQ(channel->ShiftData(0, 32, 1), 0x12345678u);
    channel->Close();
  }
  {
    // A host told the wrong chain still sees every device on it.
    auto channel = SimJtagChannel::Make(XvcCable::Connect("127.0.0.1", server.Port()), {10});
    channel->Open();
    EXPECT_EQ(channel->ScanIdCodes(), (std::vector<std::uint32_t>{0x0A0B0C0Du, 0x024090DDu}));
  }
  server.Stop();
  std::string host;
  std::uint16_t port = 0;
  EXPECT_TRUE(XvcCable::ParseAddress("xvc://10.0.0.2:2542", host, port));
  EXPECT_EQ(host, "10.0.0.2");
  EXPECT_EQ(port, 2542);
  for (const char* bad : {"xvc://host", "tcp://h:1", "xvc://:5", "xvc://h:0", "xvc://h:70000", "xvc://h:12x"})
    EXPECT_FALSE(XvcCable::ParseAddress(bad, host, port)) << bad;
}

// ---- Several clients at once -----------------------------------------------------------------

// A raw TCP client on 127.0.0.1 that sends what it is told and otherwise stays silent.
struct RawClient {
  int fd = -1;
  explicit RawClient(std::uint16_t port) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  ~RawClient() { ::close(fd); }
  void Send(const std::string& bytes) const { ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // True when the server closed the connection within `ms`.
  bool ClosedWithin(int ms) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buf[256];
    while (std::chrono::steady_clock::now() < until) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0 && ::recv(fd, buf, sizeof buf, 0) <= 0) return true;
    }
    return false;
  }
};

// Waits (a bounded while) for the server to have served `n` clients and answers their reports.
std::vector<JtagServer::ClientReport> ReportsOf(JtagServer& server, int n) {
  std::vector<JtagServer::ClientReport> all;
  for (int i = 0; i < 200 && static_cast<int>(all.size()) < n; ++i) {
    for (auto& r : server.TakeReports()) all.push_back(r);
    if (static_cast<int>(all.size()) < n) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return all;
}

TEST(JtagServerClients, AnIdleClientHoldsUpNoOtherClient) {
  for (const auto protocol : {JtagServer::Protocol::Xvc, JtagServer::Protocol::RemoteBitbang}) {
    JtagChain chain;
    chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", 0x024090DDu)));
    JtagServer xvc(chain, JtagServer::Protocol::Xvc, 0);
    JtagServer server(chain, protocol, 0, &xvc.mutex());
    xvc.Start();
    server.Start();
    // One client connected and silent on the server, one half way through a request.
    RawClient idle(server.Port());
    RawClient halfway(server.Port());
    halfway.Send(protocol == JtagServer::Protocol::Xvc ? "shift:" : "0");
    // Another program still reaches the chain, over XVC (the timeout turns a hang into an error).
    auto channel = SimJtagChannel::Make(XvcCable::Connect("127.0.0.1", xvc.Port(), std::chrono::seconds(10)), {10});
    channel->Open();
    EXPECT_EQ(channel->ScanIdCodes(), (std::vector<std::uint32_t>{0x024090DDu}));
    // And so does a third client of the server the silent ones hold.
    if (protocol == JtagServer::Protocol::Xvc) {
      auto third = SimJtagChannel::Make(XvcCable::Connect("127.0.0.1", server.Port(), std::chrono::seconds(10)), {10});
      third->Open();
      EXPECT_EQ(third->ScanIdCodes(), (std::vector<std::uint32_t>{0x024090DDu}));
    } else {
      RawClient third(server.Port());
      third.Send("R");
      pollfd p{third.fd, POLLIN, 0};
      EXPECT_GT(::poll(&p, 1, 10000), 0) << "no answer while other clients are connected";
    }
    // Stop ends the connections that are still open instead of waiting for them.
    server.Stop();
    xvc.Stop();
    EXPECT_TRUE(idle.ClosedWithin(5000));
    EXPECT_TRUE(halfway.ClosedWithin(5000));
  }
}

TEST(JtagServerClients, EachClientIsReportedWithItsOwnEnd) {
  using End = JtagServer::ClientReport::End;
  JtagChain chain;
  chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", 0x024090DDu)));
  JtagServer server(chain, JtagServer::Protocol::Xvc, 0);
  server.SetIdleTimeout(std::chrono::milliseconds(300));
  server.Start();
  {
    RawClient bad(server.Port());
    bad.Send("bogus:");
    EXPECT_TRUE(bad.ClosedWithin(5000));
  }
  const auto first = ReportsOf(server, 1);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].number, 1);
  EXPECT_EQ(first[0].end, End::ProtocolError);
  EXPECT_EQ(first[0].message, "XVC: unknown request 'bogus:'");
  {
    // A sound client after a broken one: its report carries no error of the other's.
    auto channel = SimJtagChannel::Make(XvcCable::Connect("127.0.0.1", server.Port()), {10});
    channel->Open();
    EXPECT_EQ(channel->ScanIdCodes(), (std::vector<std::uint32_t>{0x024090DDu}));
  }
  {
    RawClient idle(server.Port());
    EXPECT_TRUE(idle.ClosedWithin(5000));  // the idle timeout
  }
  const auto reports = ReportsOf(server, 2);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].number, 2);
  EXPECT_EQ(reports[0].end, End::Closed);
  EXPECT_EQ(reports[0].message, "");
  EXPECT_EQ(reports[1].number, 3);
  EXPECT_EQ(reports[1].end, End::Idle);
  EXPECT_EQ(reports[1].message, "disconnected: nothing for 0.3 s");
  EXPECT_EQ(server.LastError(), "XVC: unknown request 'bogus:'");
  EXPECT_EQ(server.ClientsServed(), 3);
  server.Stop();
}

TEST(JtagServerClients, ClientsBeyondTheLimitAreTurnedAwayAndReported) {
  JtagChain chain;
  chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", 0x024090DDu)));
  JtagServer server(chain, JtagServer::Protocol::RemoteBitbang, 0);
  server.Start();
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < JtagServer::kMaxClients; ++i) {
    clients.push_back(std::make_unique<RawClient>(server.Port()));
    clients.back()->Send("R");  // answered: this one has been accepted
    char answer = 0;
    pollfd p{clients.back()->fd, POLLIN, 0};
    ASSERT_GT(::poll(&p, 1, 10000), 0) << "client " << i;
    ASSERT_EQ(::recv(clients.back()->fd, &answer, 1, 0), 1);
    EXPECT_TRUE(answer == '0' || answer == '1');
  }
  RawClient extra(server.Port());
  EXPECT_TRUE(extra.ClosedWithin(5000));
  const auto reports = ReportsOf(server, 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].end, JtagServer::ClientReport::End::Refused);
  EXPECT_EQ(reports[0].number, JtagServer::kMaxClients + 1);
  EXPECT_EQ(server.ClientsServed(), 0);
  server.Stop();
}

}  // namespace
}  // namespace s4::sim
