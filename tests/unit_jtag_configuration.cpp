// The configuration routines with an environment that records instead of waiting, run on the
// simulated chain through the same channel adapter the driver uses.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "devicedata/device_tables.h"
#include "host/host_dispids.h"
#include "jtag/configuration.h"
#include "host/host_utilities.h"
#include "jtag/host_environment.h"
#include "platform/path.h"
#include "platform/widestring.h"
#include "simhost/jtag_chain.h"
#include "simhost/sim_host.h"
#include "simhost/sim_jtag_channel.h"
#include "tools/bsdl_synth/records.h"

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
  void ProgressStep(std::int64_t n) override {
    steps += static_cast<int>(n);
    ++stepCalls;
  }
  // Every single step shows: programming must step byte by byte.
  std::int64_t ProgressQuietSteps() override { return 0; }
  void ProgressEnd() override { events.push_back("end"); }
  int stepCalls = 0;
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
  std::string osPath;
  std::u16string path;  // as the host writes it
  explicit File(const std::vector<std::uint8_t>& bytes) {
    osPath = (std::filesystem::temp_directory_path() / ("s4_unit_jtag_" + std::to_string(::getpid()) + ".rbf")).string();
    path = ToHostPath(osPath);
    std::ofstream(osPath, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~File() { std::filesystem::remove(osPath); }
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

TEST(JtagProgram, AFileLargerThanOneReadArrivesWholeAndInOrder) {
  // Over two reads' worth, with the skipped leading bytes ending inside the first read and
  // none: the device receives every byte after them, in order, and progress counts them all.
  std::vector<std::uint8_t> file(2 * 64 * 1024 + 3);
  std::uint32_t x = 1;
  for (auto& b : file) b = static_cast<std::uint8_t>((x = x * 1103515245u + 12345u) >> 16);
  for (const std::int32_t ignore : {0, 7}) {
    Bench b("EP4SGX70D", 1, 0);
    File f(file);
    RecordingEnvironment env;
    env.family.bytesToIgnore = ignore;
    EXPECT_EQ(ProgramDevice(b.channel.get(), 0, f.path, env), static_cast<std::int32_t>(8 * file.size()));
    const std::vector<std::uint8_t> sent(file.begin() + ignore, file.end());
    EXPECT_EQ(b.fpga->Received().size(), 175 + 8 * sent.size() + 128 + 1);
    EXPECT_TRUE(b.fpga->Received().HoldsBytesAt(175, sent)) << ignore;
    EXPECT_EQ(env.steps, static_cast<int>(file.size()));
  }
}

TEST(JtagProgram, FilesThatCannotBeProgrammedAreRefusedBeforeTheChannelIsOpened) {
  Bench b("EP4SGX70D", 1, 0);
  RecordingEnvironment env;
  File empty({});
  EXPECT_THROW(ProgramDevice(b.channel.get(), 0, empty.path, env), std::runtime_error);
  // Not a file at all: nothing to program, and no error (the host's rule for a missing file).
  EXPECT_EQ(ProgramDevice(b.channel.get(), 0, ToHostPath(std::filesystem::temp_directory_path().string()), env), 0);
  EXPECT_EQ(ProgramDevice(b.channel.get(), 0, u"\\no\\such\\file.rbf", env), 0);
  EXPECT_EQ(b.sim->OpenCount(), 0);
  EXPECT_TRUE(env.events.empty());
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
  std::filesystem::resize_file(f.osPath, (std::uintmax_t{1} << 28) + 1);  // sparse: nothing is written
  RecordingEnvironment env;
  EXPECT_THROW(ProgramDevice(b.channel.get(), 0, f.path, env), std::runtime_error);
  EXPECT_EQ(b.sim->OpenCount(), 0);
}

TEST(JtagProgram, AFailingPinCallAmongTheDataBitsIsTheLastCallMade) {
  // Each call of two data bits in turn fails (the five of a bit, and behind another device
  // the extra low clock's two as well): nothing follows it but the channel's Close, the
  // progress display is ended and the failure reaches the caller.
  const std::vector<std::uint8_t> file(300, 0xA5);
  // Counts the channel's calls when the data starts (programming begins the progress display
  // right before the first data bit).
  struct Marking : RecordingEnvironment {
    sim::SimJtagChannel* sim = nullptr;
    std::uint64_t callsBeforeData = 0;
    void ProgressBegin(std::u16string_view c, std::int64_t t) override {
      callsBeforeData = sim->Calls();
      RecordingEnvironment::ProgressBegin(c, t);
    }
  };
  for (const int position : {0, 1}) {
    std::uint64_t before = 0;
    {
      Bench b("EP4SGX70D", 2, position);
      File f(file);
      Marking env;
      env.sim = b.sim.get();
      ProgramDevice(b.channel.get(), position, f.path, env);
      before = env.callsBeforeData;
    }
    const std::uint64_t perBit = position ? 7 : 5;
    for (std::uint64_t k = 0; k < 2 * perBit; ++k) {
      SCOPED_TRACE("position " + std::to_string(position) + ", call " + std::to_string(k) + " of byte 40");
      Bench b("EP4SGX70D", 2, position);
      File f(file);
      Marking env;
      env.sim = b.sim.get();
      b.sim->FailCall(before + 40 * 8 * perBit + k + 1);
      EXPECT_THROW(ProgramDevice(b.channel.get(), position, f.path, env), std::runtime_error);
      EXPECT_EQ(env.callsBeforeData, before);
      const std::string& t = b.sim->Trace();
      const auto fail = t.find("[fail pin]");
      ASSERT_NE(fail, std::string::npos);
      EXPECT_EQ(t.substr(fail), "[fail pin][Close]");
      // The bits whose high clock came before the failure arrived.
      EXPECT_EQ(b.fpga->Received().size(), 175 + 40 * 8 + k / perBit);
      EXPECT_FALSE(b.sim->IsOpen());
      EXPECT_EQ(env.events.back(), "end");
      EXPECT_EQ(env.steps, 40);
    }
  }
}

TEST(JtagConfDone, PositionTableIgnoresCaseAndKnowsItsRows) {
  struct Case {
    const char16_t* base;
    std::optional<std::pair<int, int>> position;
  };
  const Case cases[] = {
      {u"ep4sgx70d", std::pair{438, 122}},  {u"EP4S100G2", std::pair{758, 186}}, {u"EP4SE360", std::pair{894, 190}},
      {u"EP4S100G5", std::pair{990, 238}},
      // Dies shared with base devices that have a row: EP4SGX110H is EP4SGX110D/F's die,
      // EP4S40G2 EP4S100G2's, the other three that of the 2970-cell row.
      {u"EP4SGX110H", std::pair{438, 122}}, {u"EP4S40G2", std::pair{758, 186}},  {u"EP4S40G5", std::pair{990, 238}},
      {u"EP4S100G3", std::pair{990, 238}},  {u"EP4S100G4", std::pair{990, 238}},
      // A die of its own, and no base device.
      {u"EP4SE820", std::nullopt},          {u"", std::nullopt},                  {u"EP4SGX70", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ConfDonePosition(c.base), c.position) << Utf16ToUtf8(c.base);
}

TEST(JtagConfDone, EveryBaseDeviceWithTheLengthsOfARowIsInThatRow) {
  // The register lengths of each base device's die, from the facts its built-in boundary-scan
  // descriptions are made from: every package of a base device must agree.
  std::map<std::u16string, std::set<std::pair<int, int>>> lengths;
  for (const auto& dp : kDevicePackages) {
    const std::string name = Utf16ToUtf8(dp.Name);
    const auto facts = bsdl_synth::Records();
    const auto f = std::find_if(facts.begin(), facts.end(), [&](const auto& r) { return r.name == name; });
    ASSERT_NE(f, facts.end()) << name;
    lengths[std::u16string(kBaseNames[dp.BaseName].Name)].insert({f->cells, f->iocsr});
  }
  ASSERT_EQ(lengths.size(), static_cast<std::size_t>(kBaseNameCount));
  std::set<std::u16string> listed;
  for (const ConfDoneRow& row : ConfDoneRows())
    for (std::u16string_view name : row.baseNames)
      if (!name.empty()) {
        EXPECT_TRUE(listed.insert(std::u16string(name)).second) << Utf16ToUtf8(name) << " is listed twice";
        const auto it = lengths.find(std::u16string(name));
        ASSERT_NE(it, lengths.end()) << Utf16ToUtf8(name) << " is no base device";
        EXPECT_EQ(it->second, (std::set<std::pair<int, int>>{{row.boundaryLength, row.iocsrLength}})) << Utf16ToUtf8(name);
      }
  for (const auto& [base, pairs] : lengths) {
    SCOPED_TRACE(Utf16ToUtf8(base));
    ASSERT_EQ(pairs.size(), 1u) << "the packages of one base device have different dies";
    const auto [boundary, iocsr] = *pairs.begin();
    const auto row = std::find_if(ConfDoneRows().begin(), ConfDoneRows().end(),
                                  [&](const ConfDoneRow& r) { return r.boundaryLength == boundary && r.iocsrLength == iocsr; });
    if (row == ConfDoneRows().end())
      EXPECT_FALSE(ConfDonePosition(base).has_value());
    else
      EXPECT_EQ(ConfDonePosition(base), std::make_pair(row->n, row->k));
  }
  // Only EP4SE820's die has no row.
  EXPECT_EQ(listed.size(), lengths.size() - 1);
  EXPECT_FALSE(listed.count(u"EP4SE820"));
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
      {"EP4SGX530N", 3, 0, false, 1}, {"EP4SE820", 1, 0, true, 1},   {"EP4S40G5", 2, 1, true, 2},
      {"EP4SGX110H", 1, 0, true, 2},  {"EP4S100G4", 2, 0, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " at " + std::to_string(c.position) + " of " + std::to_string(c.count));
    Bench b(c.base, c.count, c.position);
    b.fpga->SetConfDone(c.done);
    const std::u16string base(c.base, c.base + std::strlen(c.base));
    EXPECT_EQ(GetDeviceState(b.channel.get(), base, c.position), c.state);
    EXPECT_EQ(b.sim->OpenCount(), b.sim->CloseCount());
    // Reset clears the device; it reports success when the state then reads 1, which for
    // EP4SE820 (no row) is always so.
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
  // The host environment's display: what the host sees after each single step, and how many
  // steps it announces as changing nothing.
  auto steps = [](std::int64_t total, int stepCalls) {
    auto& host = sim::SimHost::Configure({});
    HostEnvironment env(u"Stratix4");
    env.ProgressBegin(u"caption", total);
    std::vector<std::size_t> after;
    for (int k = 0; k < stepCalls; ++k) {
      const std::int64_t quiet = env.ProgressQuietSteps();
      const std::size_t before = host.guiManager->CallsTo(hostid::IDispGUIManager::StatusBarSetState).size();
      env.ProgressStep(1);
      std::size_t n = 0;
      const auto calls = host.guiManager->CallsTo(hostid::IDispGUIManager::StatusBarSetState);
      for (const auto& c : calls) n += c.Int(0) == -7;
      // A step announced as quiet sends nothing; the step after the quiet ones sends.
      EXPECT_EQ(calls.size() == before, quiet > 0) << "total " << total << ", step " << k;
      after.push_back(n);
    }
    env.ProgressEnd();
    env.ProgressStep(1);  // after the end: nothing
    return after;
  };
  EXPECT_EQ(steps(4, 4), (std::vector<std::size_t>{25, 50, 75, 100}));
  EXPECT_EQ(steps(3, 4).back(), 100u);
  EXPECT_EQ(steps(3, 3), (std::vector<std::size_t>{33, 67, 100}));
  const auto thousand = steps(1000, 1000);
  EXPECT_EQ(thousand[3], 0u);  // 0.4 %
  EXPECT_EQ(thousand[4], 1u);  // 0.5 % rounds up
  EXPECT_EQ(thousand[5], 1u);  // 0.6 %
  EXPECT_EQ(thousand.back(), 100u);
  steps(997, 997);  // no whole number of steps per percent
  steps(250, 250);
}

TEST(JtagHost, ProgressStepsInBatchesShowWhatSingleStepsShow) {
  // Stepping n at once sends what n single steps send, and the quiet count never hides a change.
  auto& host = sim::SimHost::Configure({});
  auto sevens = [&] {
    std::size_t n = 0;
    for (const auto& c : host.guiManager->CallsTo(hostid::IDispGUIManager::StatusBarSetState)) n += c.Int(0) == -7;
    return n;
  };
  for (const std::int64_t total : {std::int64_t{1}, std::int64_t{7}, std::int64_t{199}, std::int64_t{201}, std::int64_t{65537},
                                   std::int64_t{kMaxFileBytes}}) {
    SCOPED_TRACE(total);
    host.guiManager->ClearCalls();
    host::BeginProgress(u"x", total);
    std::int64_t at = 0;
    while (at < total) {
      const std::int64_t quiet = host::QuietProgressSteps();
      ASSERT_GE(quiet, 0);
      const std::int64_t run = quiet >= total - at ? total - at : quiet + 1;
      const std::size_t before = sevens();
      if (run > 1) host::StepProgress(run - 1);
      EXPECT_EQ(sevens(), before) << "quiet steps sent something at " << at;
      host::StepProgress(1);
      at += run;
      // The percentage shown is the rounded share of the steps taken.
      EXPECT_EQ(static_cast<std::int64_t>(sevens()), (at * 200 + total) / (2 * total)) << at;
    }
    host::EndProgress();
    EXPECT_EQ(sevens(), 100u);
  }
  EXPECT_EQ(host::QuietProgressSteps(), INT64_MAX);  // none running
}

}  // namespace
}  // namespace s4::jtag
