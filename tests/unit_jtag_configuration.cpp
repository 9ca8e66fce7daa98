// The configuration routines with an environment that records instead of waiting, run on the
// simulated chain through the same channel adapter the driver uses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "host/host_dispids.h"
#include "jtag/configuration.h"
#include "jtag/host_environment.h"
#include "simhost/jtag_chain.h"
#include "simhost/sim_host.h"
#include "simhost/sim_jtag_channel.h"

namespace s4::jtag {
namespace {

struct RecordingEnvironment : Environment {
  FamilySettings family;
  std::int32_t cycles = kDefaultConfigurationCycles;
  std::vector<std::string> events;
  std::int64_t total = -1;
  int steps = 0;
  void Wait(int ms) override { events.push_back("wait " + std::to_string(ms)); }
  FamilySettings Family() override {
    events.push_back("family");
    return family;
  }
  std::int32_t ConfigurationCycles() override { return cycles; }
  void ProgressBegin(std::u16string_view, std::int64_t t) override { total = t; }
  void ProgressStep() override { ++steps; }
  void ProgressEnd() override { events.push_back("end"); }
};

struct Bench {
  sim::JtagChain chain;
  sim::FamilyDevice* fpga = nullptr;
  ComPtr<sim::SimJtagChannel> sim;
  std::unique_ptr<HostChannel> channel;
  Bench(std::string_view baseName, int count, int position) {
    std::vector<int> ir;
    for (int d = 0; d < count; ++d)
      if (d == position) {
        fpga = &chain.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName(baseName, 0x024090DD)));
        ir.push_back(10);
      } else {
        chain.Add(std::make_unique<sim::GenericDevice>(6, 0x0F0F0F0F, 0x02));
        ir.push_back(6);
      }
    sim = sim::SimJtagChannel::Make(std::make_unique<sim::ChainCable>(chain), ir);
    sim->EnableTrace();
    channel = HostChannel::From(sim->dispatch());
  }
};

struct File {
  std::string path;
  explicit File(const std::vector<std::uint8_t>& bytes) {
    path = (std::filesystem::temp_directory_path() / ("s4_unit_jtag_" + std::to_string(::getpid()) + ".rbf")).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~File() { std::filesystem::remove(path); }
};

TEST(JtagProgram, WaitsAndFamilyLookupInSequenceOrder) {
  Bench b("EP4SGX70D", 1, 0);
  File f({0x00});
  RecordingEnvironment env;
  EXPECT_EQ(ProgramDevice(b.channel.get(), 0, f.path, env), 8);
  EXPECT_EQ(env.events, (std::vector<std::string>{"wait 40", "family", "wait 1000", "end"}));
  EXPECT_EQ(b.sim->Trace().rfind("[Open][Prepare]", 0), 0u);
}

TEST(JtagProgram, ConfigurationCyclesComeFromTheEnvironment) {
  for (const std::int32_t cycles : {0, 3, 175, 1000}) {
    Bench b("EP4SGX70D", 1, 0);
    File f({0x00, 0xFF});
    RecordingEnvironment env;
    env.cycles = cycles;
    ProgramDevice(b.channel.get(), 0, f.path, env);
    const auto& got = b.fpga->Received();
    const auto c = static_cast<std::size_t>(cycles);
    EXPECT_TRUE(got.AllAt(0, c, true)) << cycles;
    EXPECT_TRUE(got.HoldsBytesAt(c, {0x00, 0xFF})) << cycles;
    EXPECT_EQ(got.size(), c + 16 + 128 + 1) << cycles;
  }
}

TEST(JtagProgram, IgnoredLeadingBytesAreNotSentButStillCountAsProgress) {
  struct Case {
    std::int32_t ignore;
    std::vector<std::uint8_t> sent;
  };
  const std::vector<std::uint8_t> file = {0x11, 0x22, 0x33, 0x44};
  for (const auto& c : {Case{2, {0x33, 0x44}}, Case{0, file}, Case{-1, file}, Case{9, {}}}) {
    Bench b("EP4SGX70D", 1, 0);
    File f(file);
    RecordingEnvironment env;
    env.family.bytesToIgnore = c.ignore;
    EXPECT_EQ(ProgramDevice(b.channel.get(), 0, f.path, env), 32) << c.ignore;
    EXPECT_EQ(env.total, 4);
    EXPECT_EQ(env.steps, 4);
    const auto& got = b.fpga->Received();
    EXPECT_EQ(got.size(), 175 + 8 * c.sent.size() + 128 + 1) << c.ignore;
    EXPECT_TRUE(got.HoldsBytesAt(175, c.sent)) << c.ignore;
  }
}

TEST(JtagProgram, ActiveDisengageComesBeforeProgramWhenTheFamilyAsksForIt) {
  for (const bool disengage : {false, true}) {
    Bench b("EP4SGX70D", 2, 1);
    File f({0x5A});
    RecordingEnvironment env;
    env.family.activeDisengage = disengage;
    ProgramDevice(b.channel.get(), 1, f.path, env);
    EXPECT_EQ(b.fpga->LoadCount(sim::family_ir::kActiveDisengage), disengage ? 1 : 0);
    const std::string& t = b.sim->Trace();
    const auto program = t.find("[Goto 2][IR 2 1]");
    ASSERT_NE(program, std::string::npos);
    if (disengage) {
      EXPECT_EQ(t.find("[Goto 2][IR 720 1]"), program - std::string("[Goto 2][IR 720 1]").size());
    }
  }
}

TEST(JtagProgram, AFileTooLargeForTheBitCountIsRefusedBeforeAnythingIsSent) {
  Bench b("EP4SGX70D", 1, 0);
  File f({});
  std::filesystem::resize_file(f.path, (std::uintmax_t{1} << 28) + 1);  // sparse: nothing is written
  RecordingEnvironment env;
  EXPECT_THROW(ProgramDevice(b.channel.get(), 0, f.path, env), std::runtime_error);
  EXPECT_EQ(b.sim->OpenCount(), 0);
}

TEST(JtagConfDone, PositionTableIgnoresCaseAndKnowsItsRows) {
  EXPECT_EQ(ConfDonePosition(u"ep4sgx70d"), std::make_pair(438, 122));
  EXPECT_EQ(ConfDonePosition(u"EP4S100G2"), std::make_pair(758, 186));
  EXPECT_EQ(ConfDonePosition(u"EP4SE360"), std::make_pair(894, 190));
  EXPECT_EQ(ConfDonePosition(u"EP4S100G5"), std::make_pair(990, 238));
  for (const char16_t* none : {u"EP4SGX110H", u"EP4SE820", u"EP4S40G2", u"EP4S40G5", u"EP4S100G3", u"EP4S100G4", u""})
    EXPECT_FALSE(ConfDonePosition(none).has_value());
}

TEST(JtagConfDone, StateAndResetOnTheSimulatedDevice) {
  struct Case {
    const char* base;
    int count, position;
    bool done;
    std::uint8_t state;
  };
  const Case cases[] = {
      {"EP4SGX70D", 1, 0, true, 2},   {"EP4SGX70D", 1, 0, false, 1}, {"EP4SGX530N", 3, 1, true, 2},
      {"EP4SGX530N", 3, 0, false, 1}, {"EP4SE820", 1, 0, true, 1},   {"EP4S40G5", 2, 1, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " at " + std::to_string(c.position) + " of " + std::to_string(c.count));
    Bench b(c.base, c.count, c.position);
    b.fpga->SetConfDone(c.done);
    const std::u16string base(c.base, c.base + std::strlen(c.base));
    EXPECT_EQ(GetDeviceState(b.channel.get(), base, c.position), c.state);
    EXPECT_EQ(b.sim->OpenCount(), b.sim->CloseCount());
    // Reset clears the device; it reports success when the state then reads 1, which for a
    // base device without a row is always so.
    EXPECT_TRUE(ResetDevice(b.channel.get(), base, c.position));
    EXPECT_FALSE(b.fpga->ConfDone());
  }
  EXPECT_EQ(GetDeviceState(nullptr, u"EP4SGX70D", 0), 1);
  EXPECT_FALSE(ResetDevice(nullptr, u"EP4SGX70D", 0));
  EXPECT_EQ(ReadUserCode(nullptr, 0), 0xFFFFFFFFu);
}

TEST(JtagConfDone, ResetReportsFailureWhenTheDeviceStaysConfigured) {
  // A device that ignores PROGRAM: the state read after the reset still finds CONF_DONE high.
  Bench b("EP4SGX70D", 1, 0);
  b.fpga->SetConfDone(true);
  struct StickyChannel : Channel {
    Channel& inner;
    sim::FamilyDevice& fpga;
    StickyChannel(Channel& c, sim::FamilyDevice& f) : inner(c), fpga(f) {}
    void Open() override { inner.Open(); }
    void Close() override {
      fpga.SetConfDone(true);
      inner.Close();
    }
    std::int32_t GetDeviceCount() override { return inner.GetDeviceCount(); }
    void PrepareProgramming() override { inner.PrepareProgramming(); }
    std::int32_t ShiftData(std::int32_t v, std::int32_t n, std::int32_t d) override { return inner.ShiftData(v, n, d); }
    void SetInstruction(std::int32_t i, std::int32_t d) override { inner.SetInstruction(i, d); }
    void MoveState(ChannelState a, ChannelState z) override { inner.MoveState(a, z); }
    void GotoState(ChannelState s) override { inner.GotoState(s); }
    void ClockTMS(bool l) override { inner.ClockTMS(l); }
    host::IJTagPinAccess& Pins() override { return inner.Pins(); }
  } sticky(*b.channel, *b.fpga);
  EXPECT_FALSE(ResetDevice(&sticky, u"EP4SGX70D", 0));
}

TEST(JtagHost, FamilySettingsFromTheHostsFamilyObject) {
  EXPECT_FALSE(ReadFamilySettings(nullptr).activeDisengage);
  EXPECT_EQ(ReadFamilySettings(nullptr).bytesToIgnore, 0);
  sim::HostDescription d;
  d.families = {{u"Stratix4", {{u"ND_ActiveDisengage", Variant(true)}, {u"ND_ProgramBitsToIgnore", Variant(std::int32_t(6))}}},
                {u"Bare", {}}};
  auto& host = sim::SimHost::Configure(d);
  const FamilySettings s = ReadFamilySettings(host.familyObjects.at(u"Stratix4").get());
  EXPECT_TRUE(s.activeDisengage);
  EXPECT_EQ(s.bytesToIgnore, 6);
  const FamilySettings bare = ReadFamilySettings(host.familyObjects.at(u"Bare").get());
  EXPECT_FALSE(bare.activeDisengage);
  EXPECT_EQ(bare.bytesToIgnore, 0);
  // Without an integer setting the family is not asked for one.
  EXPECT_EQ(host.familyObjects.at(u"Bare")->CountOf(hostid::IDispDeviceFamily::GetPropertyAsInteger), 0u);
  EXPECT_EQ(ConfigurationCyclesOf(u"Stratix4"), 175);
}

TEST(JtagHost, ProgressStepsOncePerWholePercent) {
  auto steps = [](std::int64_t total, int stepCalls) {
    auto& host = sim::SimHost::Configure({});
    HostProgress p;
    p.Begin(u"caption", total);
    std::vector<std::size_t> after;
    for (int k = 0; k < stepCalls; ++k) {
      p.Step();
      std::size_t n = 0;
      for (const auto& c : host.guiManager->CallsTo(hostid::IDispGUIManager::StatusBarSetState)) n += c.Int(0) == -7;
      after.push_back(n);
    }
    p.End();
    p.Step();  // after the end: nothing
    return after;
  };
  EXPECT_EQ(steps(4, 4), (std::vector<std::size_t>{25, 50, 75, 100}));
  EXPECT_EQ(steps(0, 2), (std::vector<std::size_t>{100, 100}));
  EXPECT_EQ(steps(3, 4), (std::vector<std::size_t>{33, 67, 100, 100}));
  const auto thousand = steps(1000, 1000);
  EXPECT_EQ(thousand[3], 0u);  // 0.4 %
  EXPECT_EQ(thousand[5], 1u);  // 0.6 %
  EXPECT_EQ(thousand.back(), 100u);
}

}  // namespace
}  // namespace s4::jtag
