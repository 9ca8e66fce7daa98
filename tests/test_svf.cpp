// The driver's JTAG sequences recorded as SVF through the recording channel, as the host would
// hand it to the driver: what the file holds, the checks it makes the player do, and JTAG
// players that are not ours (OpenOCD over remote_bitbang, openFPGALoader over XVC) running it
// into the simulated chain.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <random>
#include <sstream>

#include "platform/path.h"
#include "simhost/jtag_servers.h"
#include "simhost/svf_channel.h"
#include "tests/jtag_fixture.h"
#include "tests/svf_text.h"

namespace s4::test {
namespace {

namespace did = s4::dispid::VireoDriver;
constexpr std::size_t kCycles = 175;
constexpr std::uint32_t kIdCode = 0x024200DDu;

// The driver of a kind attached to a host device whose channel records SVF.
struct SvfRecording {
  std::ostringstream out;
  ComPtr<sim::SvfChannel> channel;
  ComPtr<sim::SimObject> device;
  ComPtr<IDispatch> driver;

  SvfRecording(std::int32_t kind, std::vector<int> irLengths, int position) {
    sim::SimHost::Configure({});
    channel = sim::SvfChannel::Make(out, {std::move(irLengths), position});
    device = sim::SimObject::Make("device");
    device->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::int32_t(position)));
    device->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(channel->dispatch()));
    driver = Driver(kind);
    EXPECT_TRUE(CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(device->dispatch())}).ok());
  }
  ~SvfRecording() { CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(nullptr)}); }
  CallResult Call(DISPID id, std::initializer_list<Variant> args = {}) { return CallDispatch(driver.get(), id, args); }
  std::string Finish() {
    channel->Finish();
    return out.str();
  }
};

// A chain of `count` devices with ours at `position`, the others 8 bits long.
std::vector<int> Chain(int count, int position) {
  std::vector<int> ir(static_cast<std::size_t>(count), 8);
  ir[static_cast<std::size_t>(position)] = 10;
  return ir;
}

std::vector<std::uint8_t> RandomFile(std::size_t n, unsigned seed) {
  std::vector<std::uint8_t> file(n);
  std::mt19937 random(seed);
  for (auto& b : file) b = static_cast<std::uint8_t>(random());
  return file;
}

// The data scans of a file with the header and trailer bits in force around each: the bits
// as they went onto the wire, first shifted first, and the checks (wire index, level).
struct WireScan {
  std::vector<bool> bits;
  std::vector<std::pair<std::size_t, bool>> checks;
  std::size_t header = 0;
};
std::vector<WireScan> DataScans(const std::vector<SvfCommand>& commands) {
  std::vector<bool> hdr, tdr;
  std::vector<WireScan> scans;
  for (const auto& c : commands) {
    auto bitsOf = [&c](const char* field) {
      const auto it = c.hex.find(field);
      return it == c.hex.end() ? std::vector<bool>(c.Length(), false) : HexBits(it->second, c.Length());
    };
    if (c.name == "HDR") hdr = bitsOf("TDI");
    if (c.name == "TDR") tdr = bitsOf("TDI");
    if (c.name != "SDR") continue;
    WireScan s;
    s.header = hdr.size();
    s.bits = hdr;
    const auto body = bitsOf("TDI");
    s.bits.insert(s.bits.end(), body.begin(), body.end());
    s.bits.insert(s.bits.end(), tdr.begin(), tdr.end());
    if (c.hex.count("MASK")) {
      const auto mask = bitsOf("MASK"), tdo = bitsOf("TDO");
      for (std::size_t k = 0; k < mask.size(); ++k)
        if (mask[k]) s.checks.emplace_back(hdr.size() + k, tdo[k]);
    }
    scans.push_back(std::move(s));
  }
  return scans;
}

std::vector<std::string> Instructions(const std::vector<SvfCommand>& commands) {
  std::vector<std::string> sir;
  for (const auto& c : commands)
    if (c.name == "SIR") sir.push_back(c.hex.at("TDI"));
  return sir;
}

class SvfOfTheDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    kind_ = KindOfBaseName(u"EP4SGX70D");
    ASSERT_GE(kind_, 0);
  }
  std::int32_t kind_ = -1;
};

TEST_F(SvfOfTheDriver, ProgrammingHoldsExactlyTheBitsTheDriverSendsWhereverTheDeviceSits) {
  const auto file = RandomFile(40, 3);
  const TempFile rbf(file);
  for (const int position : {0, 1, 2}) {
    SCOPED_TRACE("position " + std::to_string(position) + " of 3");
    SvfRecording r(kind_, Chain(3, position), position);
    const CallResult p = r.Call(did::ProgramDevice, {rbf.HostPath()});
    ASSERT_TRUE(p.ok()) << HresultName(p.hr) << " " << r.channel->LastError();
    EXPECT_EQ(p.value.raw().lVal, 320);
    r.channel->Expect({true, std::nullopt});
    const CallResult st = r.Call(did::GetDeviceState);
    ASSERT_TRUE(st.ok());
    EXPECT_EQ(st.value.raw().lVal, 2) << "the expected CONF_DONE is what the driver is answered";
    const std::string svf = r.Finish();
    const auto commands = ParseSvf(svf);

    EXPECT_EQ(Instructions(commands), (std::vector<std::string>{"2", "3", "4"})) << svf;
    // The driver waits a second after PROGRAM, before the data.
    bool waited = false;
    for (std::size_t k = 0; k + 1 < commands.size(); ++k)
      if (commands[k].name == "SIR" && commands[k].hex.at("TDI") == "2") {
        const auto& next = commands[k + 1];
        ASSERT_EQ(next.name, "RUNTEST") << next.text;
        ASSERT_GE(next.words.size(), 3u);
        EXPECT_EQ(next.words[0], "IDLE");
        EXPECT_GE(std::stod(next.words[1]), 1.0) << next.text;
        EXPECT_EQ(next.words[2], "SEC");
        waited = true;
      }
    EXPECT_TRUE(waited);
    EXPECT_NE(svf.find("RUNTEST IDLE 400 TCK;"), std::string::npos) << "the start-up clocks";

    const auto scans = DataScans(commands);
    ASSERT_EQ(scans.size(), 2u) << svf;
    // On the wire: the configuration clocks (TDI high), the file least significant bit first,
    // 128 ones, a low bit for each device in front (pushing the last bits into ours) and the
    // low bit that leaves Shift-DR.
    std::vector<bool> wire(kCycles, true);
    for (auto byte : file)
      for (int b = 0; b < 8; ++b) wire.push_back((byte >> b) & 1);
    wire.insert(wire.end(), 128, true);
    wire.insert(wire.end(), static_cast<std::size_t>(position) + 1, false);
    EXPECT_EQ(scans[0].bits, wire);
    EXPECT_TRUE(scans[0].checks.empty());
    // The CONF_DONE read: bit 949 of CHECK_STATUS, behind the BYPASS bits of the devices
    // nearer TDO, checked high; nothing else is compared.
    ASSERT_EQ(scans[1].checks.size(), 1u);
    EXPECT_EQ(scans[1].checks[0], (std::pair<std::size_t, bool>{949u + static_cast<std::size_t>(2 - position), true}));
    EXPECT_EQ(scans[1].header, static_cast<std::size_t>(2 - position));
  }
}

TEST_F(SvfOfTheDriver, ReadsBecomeTheChecksAsked) {
  const std::int32_t noRow = KindOfBaseName(u"EP4SE820");
  struct Case {
    const char* what;
    std::int32_t kind;
    DISPID op;
    sim::SvfExpectations expect;
    std::int32_t answer;                                   // what the driver answers
    std::vector<std::pair<std::size_t, bool>> checks;      // wire index, level
    std::string tdo;                                       // the TDO field of the checked scan
  };
  const Case cases[] = {
      {"state, CONF_DONE high", kind_, did::GetDeviceState, {true, std::nullopt}, 2, {{950, true}}, ""},
      {"reset, CONF_DONE low afterwards", kind_, did::ResetDevice, {false, std::nullopt}, -1, {{950, false}}, ""},
      {"usercode with an expected code", kind_, did::ReadUserCode, {std::nullopt, 0x12345678u}, 0x12345678,
       {}, "12345678"},
      {"usercode without one", kind_, did::ReadUserCode, {}, -1, {}, ""},
      {"state of a device whose CONF_DONE the driver cannot find", noRow, did::GetDeviceState,
       {true, std::nullopt}, 1, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_GE(c.kind, 0);
    SvfRecording r(c.kind, {10, 8}, 0);  // one device after ours
    r.channel->Expect(c.expect);
    const CallResult res = r.Call(c.op);
    ASSERT_TRUE(res.ok()) << r.channel->LastError();
    const std::int32_t got = res.value.vt() == VT_BOOL ? (res.value.raw().boolVal ? -1 : 0) : res.value.raw().lVal;
    EXPECT_EQ(got, c.answer);
    const std::string svf = r.Finish();
    const auto commands = ParseSvf(svf);
    std::vector<std::pair<std::size_t, bool>> checks;
    std::string tdo;
    for (const auto& s : DataScans(commands)) checks.insert(checks.end(), s.checks.begin(), s.checks.end());
    for (const auto& cmd : commands)
      if (cmd.name == "SDR" && cmd.hex.count("TDO")) tdo = cmd.hex.at("TDO");
    if (c.tdo.empty()) {
      EXPECT_EQ(checks, c.checks) << svf;
    } else {
      EXPECT_EQ(tdo, c.tdo) << svf;
      EXPECT_NE(svf.find("MASK (FFFFFFFF)"), std::string::npos) << svf;
    }
  }
}

// ---- Players that are not ours -------------------------------------------------------------

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
  const std::string log = std::filesystem::temp_directory_path() / ("s4_svf_peer_" + std::to_string(::getpid()) + ".log");
  const int rc = std::system((command + " > " + log + " 2>&1").c_str());
  std::ifstream in(log);
  output.assign(std::istreambuf_iterator<char>(in), {});
  std::filesystem::remove(log);
  return rc;
}

// The SVF of programming (and the CONF_DONE check) for ours at `position` of `irLengths`.
std::string ProgrammingSvf(std::int32_t kind, const std::vector<int>& irLengths, int position, const TempFile& rbf) {
  SvfRecording r(kind, irLengths, position);
  EXPECT_TRUE(r.Call(did::ProgramDevice, {rbf.HostPath()}).ok()) << r.channel->LastError();
  r.channel->Expect({true, std::nullopt});
  EXPECT_TRUE(r.Call(did::GetDeviceState).ok());
  return r.Finish();
}

// A simulated board: ours at `position` (expecting `image`), the others 8-bit IDCODE devices.
struct Board {
  sim::JtagChain chain;
  sim::FamilyDevice* fpga = nullptr;
  std::vector<std::uint32_t> idCodes;  // TDI end first
  Board(const std::vector<int>& irLengths, int position, std::uint32_t idCode, const std::vector<std::uint8_t>& image) {
    for (std::size_t d = 0; d < irLengths.size(); ++d) {
      if (static_cast<int>(d) == position) {
        fpga = &chain.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName("EP4SGX70D", idCode)));
        fpga->SetExpectedImage(image);
        // The devices in front hand ours their BYPASS bits first.
        fpga->SetConfigurationClocks(static_cast<std::size_t>(position) + kCycles);
        idCodes.push_back(idCode);
      } else {
        const std::uint32_t id = 0x0A0B0C0Du + 0x100u * static_cast<std::uint32_t>(d);
        chain.Add(std::make_unique<sim::GenericDevice>(irLengths[d], id, 0x01));
        idCodes.push_back(id);
      }
    }
  }
};

std::string Hex(std::uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08x", v);
  return b;
}

TEST_F(SvfOfTheDriver, OpenOcdPlaysItIntoTheSimulatedChainAndChecksConfDone) {
  const std::string tool = FindTool("openocd");
  if (tool.empty()) GTEST_SKIP() << "openocd is not installed (Debian package openocd)";
  const auto file = RandomFile(1000, 5);
  auto wrong = file;
  wrong[500] ^= 0x10;
  const TempFile rbf(file);
  struct Case {
    const char* what;
    std::vector<int> irLengths;
    int position;
    bool rightImage;
  };
  const Case cases[] = {
      {"alone on the chain", {10}, 0, true},
      {"in the middle of three", {8, 10, 8}, 1, true},
      {"last of two", {8, 10}, 1, true},
      {"a wrong image, alone", {10}, 0, false},
      {"a wrong image, in the middle", {8, 10, 8}, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = ProgrammingSvf(kind_, c.irLengths, c.position, rbf);
    const TempFile svf(std::vector<std::uint8_t>(text.begin(), text.end()), ".svf");
    Board board(c.irLengths, c.position, kIdCode, c.rightImage ? file : wrong);
    sim::JtagServer server(board.chain, sim::JtagServer::Protocol::RemoteBitbang, 0);
    server.Start();
    // OpenOCD declares the taps from the TDO end.
    std::string taps;
    for (std::size_t d = c.irLengths.size(); d-- > 0;)
      taps += " -c 'jtag newtap t" + std::to_string(d) + " tap -irlen " + std::to_string(c.irLengths[d]) +
              " -expected-id " + Hex(board.idCodes[d]) + "'";
    std::string output;
    const int rc = RunTool("timeout 120 " + tool + " -c 'adapter driver remote_bitbang' -c 'remote_bitbang host 127.0.0.1'" +
                               " -c 'remote_bitbang port " + std::to_string(server.Port()) + "' -c 'transport select jtag'" +
                               taps + " -c init -c 'svf -quiet " + svf.path.string() + "' -c shutdown",
                           output);
    server.Stop();
    EXPECT_EQ(server.LastError(), "");
    if (c.rightImage) {
      EXPECT_EQ(rc, 0) << output;
      EXPECT_NE(output.find("svf file programmed successfully"), std::string::npos) << output;
      EXPECT_TRUE(board.fpga->BitstreamIsImage()) << board.fpga->Received().Text(0, 200);
      EXPECT_TRUE(board.fpga->ConfDone());
      EXPECT_GE(board.fpga->StartupIdleClocks(), 400u);
    } else {
      EXPECT_NE(rc, 0) << output;
      EXPECT_NE(output.find("svf file programmed failed"), std::string::npos) << output;
      EXPECT_FALSE(board.fpga->ConfDone());
    }
  }
}

TEST_F(SvfOfTheDriver, OpenFpgaLoaderPlaysItOverXvcAndChecksConfDone) {
  const std::string tool = FindTool("openFPGALoader");
  if (tool.empty()) GTEST_SKIP() << "openFPGALoader is not installed (Debian package openfpgaloader)";
  const auto file = RandomFile(1000, 9);
  auto wrong = file;
  wrong[0] ^= 0x01;
  const TempFile rbf(file);
  // openFPGALoader opens a chain only when it knows every IDCODE on it: Cyclone V parts with
  // the same 10-bit instruction register stand in for ours and its neighbours. It does not
  // take SVF headers and trailers (its 0.10.0 says "HIR length supported is only 0"); on a
  // longer chain it must be told the device (--index-chain) and shifts the others' BYPASS
  // bits itself.
  struct Case {
    const char* what;
    std::vector<int> irLengths;
    int position;
    bool rightImage;
  };
  const Case cases[] = {
      {"alone on the chain", {10}, 0, true},
      {"a wrong image", {10}, 0, false},
      {"in the middle of three, chosen with --index-chain", {10, 10, 10}, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = ProgrammingSvf(kind_, c.irLengths, c.position, rbf);
    const TempFile svf(std::vector<std::uint8_t>(text.begin(), text.end()), ".svf");
    sim::JtagChain chain;
    sim::FamilyDevice* fpga = nullptr;
    for (std::size_t d = 0; d < c.irLengths.size(); ++d) {
      if (static_cast<int>(d) == c.position) {
        fpga = &chain.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName("EP4SGX70D", 0x02B050DDu)));
        fpga->SetExpectedImage(c.rightImage ? file : wrong);
        fpga->SetConfigurationClocks(static_cast<std::size_t>(c.position) + kCycles);
      } else {
        chain.Add(std::make_unique<sim::GenericDevice>(10, d == 0 ? 0x02B010DDu : 0x02B020DDu, 0x006));
      }
    }
    sim::JtagServer server(chain, sim::JtagServer::Protocol::Xvc, 0);
    server.Start();
    std::string output;
    const std::string index = c.irLengths.size() > 1 ? " --index-chain " + std::to_string(c.position) : "";
    const int rc = RunTool("timeout 120 " + tool + " -c xvc-client --ip 127.0.0.1 --port " + std::to_string(server.Port()) +
                               index + " " + svf.path.string(),
                           output);
    server.Stop();
    EXPECT_EQ(server.LastError(), "");
    if (c.rightImage) {
      EXPECT_EQ(rc, 0) << output;
      EXPECT_TRUE(fpga->BitstreamIsImage()) << fpga->Received().Text(0, 200);
      EXPECT_TRUE(fpga->ConfDone());
    } else {
      EXPECT_NE(rc, 0) << output;
      EXPECT_NE(output.find("isn't the one expected"), std::string::npos) << output;
      EXPECT_FALSE(fpga->ConfDone());
    }
  }
}

}  // namespace
}  // namespace s4::test
