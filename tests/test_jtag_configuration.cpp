// The driver's JTAG operations through Invoke, against a simulated chain: the module's
// bit-banging really configures the simulated device, and what the device received is
// compared with the file bit for bit.
#include <gtest/gtest.h>

#include <random>

#include "platform/path.h"
#include "platform/widestring.h"
#include "tests/jtag_fixture.h"

namespace s4::test {
namespace {

namespace did = s4::dispid::VireoDriver;
using sim::family_ir::kActiveDisengage;
using sim::family_ir::kProgram;
using sim::family_ir::kStartup;

constexpr std::size_t kCycles = 175;  // no plug-in configuration sets another count

class JtagConfiguration : public ::testing::Test {
 protected:
  void SetUp() override { sim::SimHost::Configure({}); }
};

// Counts non-overlapping occurrences.
std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
  return n;
}

TEST_F(JtagConfiguration, ProgramSendsTheFileLeastSignificantBitFirstWithClocksAndTrailer) {
  // Ours first, in the middle and last of three devices.
  const std::vector<std::uint8_t> file = {0x01, 0x80, 0xA5, 0x3C};
  const TempFile rbf(file);
  for (const int position : {0, 1, 2}) {
    SCOPED_TRACE("position " + std::to_string(position));
    JtagBench bench(0, "EP4SGX70D", 3, position);
    // The bits in front of ours come out of the bypass bits of the devices before it.
    bench.fpga->SetConfigurationClocks(static_cast<std::size_t>(position) + kCycles);
    bench.fpga->SetExpectedImage(file);
    bench.channel->EnableTrace();
    const CallResult r = bench.Call(did::ProgramDevice, {rbf.HostPath()});
    ASSERT_TRUE(r.ok()) << HresultName(r.hr);
    EXPECT_EQ(r.value.vt(), VT_I4);
    EXPECT_EQ(r.value.raw().lVal, 32);

    const sim::BitRecord& got = bench.fpga->Received();
    const std::size_t p = static_cast<std::size_t>(position);
    // p bypass captures, the configuration clocks, the file, 128 ones, and the bit shifted by
    // the clock that leaves Shift-DR (TDI is low by then).
    ASSERT_EQ(got.size(), p + kCycles + 32 + 128 + 1) << got.Text(0, got.size());
    EXPECT_TRUE(got.AllAt(0, p, false));
    EXPECT_TRUE(got.AllAt(p, p + kCycles, true));
    EXPECT_TRUE(got.HoldsBytesAt(p + kCycles, file)) << got.Text(p + kCycles, p + kCycles + 32);
    EXPECT_TRUE(got.AllAt(p + kCycles + 32, p + kCycles + 32 + 128, true));
    EXPECT_FALSE(got[got.size() - 1]);

    EXPECT_TRUE(bench.fpga->ConfDone());
    EXPECT_EQ(bench.fpga->LoadCount(kProgram), 1);
    EXPECT_EQ(bench.fpga->LoadCount(kStartup), 1);
    EXPECT_EQ(bench.fpga->LoadCount(kActiveDisengage), 0);  // the family does not ask for it
    EXPECT_GE(bench.fpga->StartupIdleClocks(), 400u);
    EXPECT_EQ(bench.channel->CountOf(sim::channel_id::kPrepare), 1);
    EXPECT_EQ(bench.channel->OpenCount(), 1);
    EXPECT_EQ(bench.channel->CloseCount(), 1);
    EXPECT_EQ(bench.channel->CallsWhileClosed(), 0);

    // Byte 0x01 as the pins saw it: one data step with TDI high, then seven low; behind other
    // devices every bit starts with an extra low clock.
    const std::string lowClock = position >= 1 ? "cA" : "";
    std::string firstByte = lowClock + "cDACA";
    for (int k = 0; k < 7; ++k) firstByte += lowClock + "cdACA";
    EXPECT_NE(bench.channel->Trace().find("CAdmcA" + firstByte), std::string::npos);
    // After the trailer: one ClockTMS(0) per device in front, then out of Shift-DR.
    std::string tail = "dAcA";
    for (int k = 0; k < position; ++k) tail += "[TMS0]";
    tail += "[TMS1][Move 6 2][IR 3 " + std::to_string(position) + "]";
    EXPECT_NE(bench.channel->Trace().find(tail), std::string::npos);
    EXPECT_EQ(Occurrences(bench.channel->Trace(), "[TMS0]"), p + 400);
  }
}

TEST_F(JtagConfiguration, ProgramWithoutChannelOrFileDoesNothing) {
  const TempFile rbf({0xFF});
  {
    // No host device attached.
    auto driver = Driver(0);
    const CallResult r = CallDispatch(driver.get(), did::ProgramDevice, {rbf.HostPath()});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value.raw().lVal, 0);
  }
  {
    // A host device without a channel.
    JtagBench bench(0, "EP4SGX70D");
    bench.device->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(nullptr));
    const CallResult r = bench.Call(did::ProgramDevice, {rbf.HostPath()});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.value.raw().lVal, 0);
  }
  {
    // A file that is not there, and a folder.
    JtagBench bench(0, "EP4SGX70D");
    for (const Variant& name : {Variant(u"\\no\\such\\file.rbf"),
                                Variant(std::u16string_view(ToHostPath(std::filesystem::temp_directory_path().string())))}) {
      const CallResult r = bench.Call(did::ProgramDevice, {name});
      ASSERT_TRUE(r.ok());
      EXPECT_EQ(r.value.raw().lVal, 0);
    }
    EXPECT_EQ(bench.channel->OpenCount(), 0);
  }
}

TEST_F(JtagConfiguration, ProgressAdvancesByWholePercentPerByte) {
  const TempFile rbf({1, 2, 3, 4});
  JtagBench bench(0, "EP4SGX70D");
  ASSERT_TRUE(bench.Call(did::ProgramDevice, {rbf.HostPath()}).ok());
  std::vector<std::int32_t> codes;
  std::u16string caption;
  for (const auto& c : sim::SimHost::Instance().guiManager->CallsTo(hostid::IDispGUIManager::StatusBarSetState)) {
    codes.push_back(c.Int(0));
    if (c.Int(0) == -5) caption = c.Text(1);
  }
  ASSERT_GE(codes.size(), 4u);
  EXPECT_EQ(codes.front(), -3);
  EXPECT_EQ(codes[1], -5);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), -7), 100);
  EXPECT_EQ(codes[codes.size() - 2], -6);
  EXPECT_EQ(codes.back(), -4);
  EXPECT_EQ(caption, u"Programming Device Via JTAG...");
}

TEST_F(JtagConfiguration, ProgressChangesAfterTheSameByteAsWithOneStepPerByte) {
  // 250 bytes: the shown percentage changes after bytes 1, 3, 5, 7, ... (round(100 c / 250)).
  // Each -7 must arrive while the device holds exactly the bits up to that byte.
  constexpr std::size_t kBytes = 250;
  const TempFile rbf(std::vector<std::uint8_t>(kBytes, 0x5A));
  JtagBench bench(0, "EP4SGX70D");
  std::vector<std::size_t> bytesAtStep;
  sim::SimHost::Instance().guiManager->On(hostid::IDispGUIManager::StatusBarSetState, [&](sim::SimCall& c) {
    if (c.Int(0) == -7) bytesAtStep.push_back((bench.fpga->Received().size() - kCycles) / 8);
    return Variant();
  });
  ASSERT_TRUE(bench.Call(did::ProgramDevice, {rbf.HostPath()}).ok());
  std::vector<std::size_t> expected;
  for (std::size_t c = 1, shown = 0; c <= kBytes; ++c)
    for (const std::size_t percent = (c * 200 + kBytes) / (2 * kBytes); shown < percent; ++shown) expected.push_back(c);
  EXPECT_EQ(bytesAtStep, expected);
}

TEST_F(JtagConfiguration, EveryBaseDeviceWithARowReadsConfiguredAfterADownload) {
  // The five whose rows come from the die they share with other base devices, and one of the
  // rows they share.
  for (const char16_t* base : {u"EP4SGX110H", u"EP4S40G2", u"EP4S40G5", u"EP4S100G3", u"EP4S100G4", u"EP4SGX110D"}) {
    const std::string name = Utf16ToUtf8(base);
    SCOPED_TRACE(name);
    const std::int32_t kind = KindOfBaseName(base);
    ASSERT_GE(kind, 0);
    const std::vector<std::uint8_t> file = {0xC3, 0x5A, 0x01};
    const TempFile rbf(file);
    JtagBench bench(kind, name, 2, 1);
    bench.fpga->SetConfigurationClocks(1 + kCycles);
    bench.fpga->SetExpectedImage(file);
    EXPECT_EQ(bench.Call(did::GetDeviceState).value.raw().lVal, 1);
    ASSERT_EQ(bench.Call(did::ProgramDevice, {rbf.HostPath()}).value.raw().lVal, 24);
    ASSERT_TRUE(bench.fpga->ConfDone());
    EXPECT_EQ(bench.Call(did::GetDeviceState).value.raw().lVal, 2);
    // And a reset is seen to take.
    EXPECT_EQ(bench.Call(did::ResetDevice).value.raw().boolVal, VARIANT_TRUE);
    EXPECT_EQ(bench.Call(did::GetDeviceState).value.raw().lVal, 1);
  }
}

TEST_F(JtagConfiguration, AnEmptyFileIsRefusedBeforeTheChannelIsOpened) {
  // Sent, it would start the device with nothing but the trailer's ones as its bitstream.
  const TempFile rbf({});
  JtagBench bench(0, "EP4SGX70D");
  const CallResult r = bench.Call(did::ProgramDevice, {rbf.HostPath()});
  EXPECT_EQ(r.hr, E_UNEXPECTED);
  EXPECT_EQ(bench.channel->OpenCount(), 0);
  EXPECT_EQ(bench.fpga->LoadCount(kProgram), 0);
  EXPECT_EQ(bench.fpga->LoadCount(kStartup), 0);
}

TEST_F(JtagConfiguration, ProgramsAFileWithANonAsciiName) {
  // The host hands over UTF-16 path texts; the file must open as named on every system.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("s4_jtag_names_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / std::filesystem::path(u8"d\u00e9j\u00e0_\u00fc.rbf");
  const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x56};
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 3);
  ASSERT_TRUE(std::filesystem::is_regular_file(file));
  const std::u8string utf8 = file.u8string();
  const std::u16string hostPath = ToHostPath(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
  EXPECT_NE(hostPath.find(u"d\u00e9j\u00e0_\u00fc.rbf"), std::u16string::npos);

  JtagBench bench(0, "EP4SGX70D");
  bench.fpga->SetConfigurationClocks(kCycles);
  bench.fpga->SetExpectedImage(bytes);
  const CallResult r = bench.Call(did::ProgramDevice, {Variant(std::u16string_view(hostPath))});
  EXPECT_TRUE(r.ok()) << HresultName(r.hr);
  EXPECT_EQ(r.value.raw().lVal, 24);
  EXPECT_TRUE(bench.fpga->Received().HoldsBytesAt(kCycles, bytes));
  EXPECT_TRUE(bench.fpga->ConfDone());
  std::filesystem::remove_all(folder);
}

TEST_F(JtagConfiguration, UserCodeOfTheDeviceAtItsPosition) {
  JtagBench bench(0, "EP4SGX70D", 3, 1);
  bench.fpga->SetUserCode(0xCAFEF00Du);
  const CallResult r = bench.Call(did::ReadUserCode);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(static_cast<std::uint32_t>(r.value.raw().lVal), 0xCAFEF00Du);
  EXPECT_EQ(bench.channel->CloseCount(), 1);

  bench.Attach(nullptr);
  const CallResult none = bench.Call(did::ReadUserCode);
  ASSERT_TRUE(none.ok());
  EXPECT_EQ(none.value.raw().lVal, -1);
}

TEST_F(JtagConfiguration, NoHostDeviceMeansNotConfiguredAndNoReset) {
  auto driver = Driver(0);
  const CallResult state = CallDispatch(driver.get(), did::GetDeviceState);
  ASSERT_TRUE(state.ok());
  EXPECT_EQ(state.value.raw().lVal, 1);
  const CallResult reset = CallDispatch(driver.get(), did::ResetDevice);
  ASSERT_TRUE(reset.ok());
  EXPECT_EQ(reset.value.vt(), VT_BOOL);
  EXPECT_EQ(reset.value.raw().boolVal, VARIANT_FALSE);
}

TEST_F(JtagConfiguration, StateReadsConfDoneAtTheBaseDevicesBit) {
  const std::int32_t kind = KindOfBaseName(u"EP4SGX70D");
  if (kind < 0) GTEST_SKIP() << "the device table has no EP4SGX70D yet";
  struct Case {
    int count, position;
    std::size_t clocks;  // 3 x (438 - 122) + count - position
  };
  for (const Case c : {Case{1, 0, 949}, Case{3, 1, 950}, Case{3, 2, 949}}) {
    for (const bool done : {false, true}) {
      SCOPED_TRACE(std::to_string(c.count) + " devices, position " + std::to_string(c.position) +
                   (done ? ", configured" : ", not configured"));
      JtagBench bench(kind, "EP4SGX70D", c.count, c.position);
      bench.fpga->SetConfDone(done);
      bench.channel->EnableTrace();
      const CallResult r = bench.Call(did::GetDeviceState);
      ASSERT_TRUE(r.ok());
      EXPECT_EQ(r.value.raw().lVal, done ? 2 : 1);
      EXPECT_EQ(Occurrences(bench.channel->Trace(), "[TMS0]"), c.clocks);
      EXPECT_NE(bench.channel->Trace().find("[TMS0]SG[TMS1][Move 6 2][Close]"), std::string::npos);
    }
  }
}

TEST_F(JtagConfiguration, ResetClearsTheDeviceAndReportsIt) {
  const std::int32_t kind = KindOfBaseName(u"EP4SGX70D");
  if (kind < 0) GTEST_SKIP() << "the device table has no EP4SGX70D yet";
  JtagBench bench(kind, "EP4SGX70D");
  bench.fpga->SetConfDone(true);
  const CallResult r = bench.Call(did::ResetDevice);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value.raw().boolVal, VARIANT_TRUE);
  EXPECT_FALSE(bench.fpga->ConfDone());
  EXPECT_EQ(bench.channel->OpenCount(), 2);
  EXPECT_EQ(bench.channel->CloseCount(), 2);
}

TEST_F(JtagConfiguration, ProgrammedDeviceAnswersConfigured) {
  const std::int32_t kind = KindOfBaseName(u"EP4SE230");
  if (kind < 0) GTEST_SKIP() << "the device table has no EP4SE230 yet";
  std::vector<std::uint8_t> file(2048);
  std::mt19937 random(3);
  for (auto& b : file) b = static_cast<std::uint8_t>(random());
  const TempFile rbf(file);
  JtagBench bench(kind, "EP4SE230");
  bench.fpga->SetConfigurationClocks(kCycles);
  bench.fpga->SetExpectedImage(file);
  EXPECT_EQ(bench.Call(did::GetDeviceState).value.raw().lVal, 1);
  ASSERT_EQ(bench.Call(did::ProgramDevice, {rbf.HostPath()}).value.raw().lVal, 8 * 2048);
  EXPECT_EQ(bench.Call(did::GetDeviceState).value.raw().lVal, 2);
  EXPECT_TRUE(bench.fpga->Received().HoldsBytesAt(kCycles, file));
}

TEST_F(JtagConfiguration, BaseDevicesWithoutARowReadNotConfiguredWithoutReadingTdo) {
  const std::int32_t kind = KindOfBaseName(u"EP4SE820");
  if (kind < 0) GTEST_SKIP() << "the device table has no EP4SE820 yet";
  JtagBench bench(kind, "EP4SE820");
  bench.fpga->SetConfDone(true);
  bench.channel->EnableTrace();
  EXPECT_EQ(bench.Call(did::GetDeviceState).value.raw().lVal, 1);
  EXPECT_EQ(bench.channel->Trace().find('S'), std::string::npos);
  EXPECT_NE(bench.channel->Trace().find("[Move 2 5][Close]"), std::string::npos);
  EXPECT_EQ(bench.Call(did::ResetDevice).value.raw().boolVal, VARIANT_TRUE);
}

TEST_F(JtagConfiguration, FailingHostCallEndsTheSequenceWithTheChannelClosed) {
  const TempFile rbf({0x12, 0x34, 0x56, 0x78});
  struct Case {
    const char* what;
    DISPID op;
    std::uint64_t failAtCall;  // 0: fail by operation
    DISPID failOp;
  };
  const Case cases[] = {
      {"program: a pin call among the data bits", did::ProgramDevice, 2000, 0},
      {"program: loading PROGRAM", did::ProgramDevice, 0, sim::channel_id::kSetInstruction},
      {"program: leaving Shift-DR", did::ProgramDevice, 0, sim::channel_id::kClockTMS},
      {"user code: the data shift", did::ReadUserCode, 0, sim::channel_id::kShiftData},
      {"state: the state move", did::GetDeviceState, 0, sim::channel_id::kMoveState},
      {"reset: loading PROGRAM", did::ResetDevice, 0, sim::channel_id::kSetInstruction},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    JtagBench bench(0, "EP4SGX70D");
    if (c.failAtCall) bench.channel->FailCall(c.failAtCall);
    if (c.failOp) bench.channel->FailOperation(c.failOp);
    const CallResult r = c.op == did::ProgramDevice ? bench.Call(c.op, {rbf.HostPath()}) : bench.Call(c.op);
    EXPECT_EQ(r.hr, E_UNEXPECTED);
    EXPECT_EQ(r.value.vt(), VT_EMPTY);
    EXPECT_GE(bench.channel->OpenCount(), 1);
    EXPECT_EQ(bench.channel->OpenCount(), bench.channel->CloseCount());
    EXPECT_FALSE(bench.channel->IsOpen());
  }
  // The progress display is not left running either.
  const auto calls = sim::SimHost::Instance().guiManager->CallsTo(hostid::IDispGUIManager::StatusBarSetState);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().Int(0), -4);
}

}  // namespace
}  // namespace s4::test
