// Processor control over the host device's debug register, driven through Invoke against a
// simulated host device, and the attachment to the host's main window.
#include <vector>

#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "simhost/sim_host.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

namespace hid = s4::hostid;
namespace did = s4::dispid::VireoDriver;
using sim::RecordedCall;
using sim::SimObject;

// One step of a sequence as the host saw it: "open", "close", "read", "write 0x14", "instr 2@3".
std::vector<std::string> Steps() {
  std::vector<std::string> out;
  for (const RecordedCall& c : SimObject::Journal()) {
    switch (c.id) {
      case hid::IDispJTagChannel::Open: out.push_back("open"); break;
      case hid::IDispJTagChannel::Close: out.push_back("close"); break;
      case hid::IDispVireoDevice::ReadDebugRegister:
        EXPECT_EQ(c.Int(0), 64);
        EXPECT_EQ(c.Int(1), 8);
        out.push_back("read");
        break;
      case hid::IDispVireoDevice::WriteDebugRegister: {
        EXPECT_EQ(c.Int(0), 64);
        EXPECT_EQ(c.Int(1), 8);
        char buf[16];
        std::snprintf(buf, sizeof buf, "write %02X", c.Int(2));
        out.push_back(buf);
        break;
      }
      case hid::IDispJTagChannel::SetInstruction:
        out.push_back("instr " + std::to_string(c.Int(0)) + "@" + std::to_string(c.Int(1)));
        break;
      default: break;
    }
  }
  return out;
}

class ProcessorControl : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SimHost& host = sim::SimHost::Configure({});
    dev = host.NewDevice({.name = u"CPU", .position = 3});
    driver = Driver(0);
    ASSERT_TRUE(driver);
    ASSERT_TRUE(CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(dev.device->dispatch())}).ok());
    SimObject::Journal().clear();
  }
  void TearDown() override {
    if (driver) CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(nullptr)});
  }
  // Runs one operation with the control register preset to `reg`.
  CallResult Run(DISPID id, std::int32_t reg, std::initializer_list<Variant> args = {}) {
    (*dev.registers)[64] = reg;
    SimObject::Journal().clear();
    return CallDispatch(driver.get(), id, args);
  }
  sim::SimDevice dev;
  ComPtr<IDispatch> driver;
};

TEST_F(ProcessorControl, SequencesOverTheDebugRegister) {
  using V = std::vector<std::string>;
  // Every bit set on entry shows which bits each step clears or keeps.
  struct Case {
    const char* name;
    DISPID id;
    V steps;
  } cases[] = {
      {"Pause", did::PauseProcessor, {"open", "read", "write 54", "read", "close"}},
      {"Continue", did::ContinueProcessor, {"open", "read", "write 54", "write 50", "read", "close"}},
      {"Reset", did::ResetProcessor,
       {"open", "open", "read", "write 54", "read", "close", "write 74", "write 54", "read", "close"}},
      {"SingleStep", did::SingleStepProcessor,
       {"open", "open", "read", "write 54", "read", "close", "read", "write 54", "write 56", "read", "close"}},
      {"Substitution", did::RunSingleStepInSubstitutionRegister,
       {"open", "read", "write DF", "write DF", "write DF", "write DC", "read", "close"}},
      {"ResetRegisters", did::ResetVireoRegisters, {"open", "instr 2@3", "close"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The register reads back what was last written; on entry every bit is set, so the writes
    // show which bits each step clears and that bit 6, which no step names, is kept.
    ASSERT_EQ(Run(c.id, 0xFF).hr, S_OK);
    EXPECT_EQ(Steps(), c.steps);
  }
}

TEST_F(ProcessorControl, RunStepsWritesOncePerStep) {
  ASSERT_EQ(Run(did::RunSteps, 0, {Variant(std::int32_t(2))}).hr, S_OK);
  const std::size_t withTwo = dev.device->CountOf(hid::IDispVireoDevice::WriteDebugRegister);
  EXPECT_EQ(Steps(), (std::vector<std::string>{"open", "read", "open", "read", "write 14", "read", "close",
                                               "write 14", "write 16", "write 16", "read", "close"}));
  dev.device->ClearCalls();
  ASSERT_EQ(Run(did::RunSteps, 0, {Variant(std::int32_t(0))}).hr, S_OK);
  EXPECT_EQ(dev.device->CountOf(hid::IDispVireoDevice::WriteDebugRegister) + 2, withTwo);
  dev.device->ClearCalls();
  ASSERT_EQ(Run(did::RunSteps, 0, {Variant(std::int32_t(-5))}).hr, S_OK);
  EXPECT_EQ(dev.device->CountOf(hid::IDispVireoDevice::WriteDebugRegister) + 2, withTwo);
}

TEST_F(ProcessorControl, StateQueriesReadTheRegister) {
  struct Case {
    std::int32_t reg;
    bool paused, reset, running;
  } cases[] = {
      {0x00, false, false, true}, {0x18, true, false, false}, {0x10, false, false, true},
      {0x08, false, false, true}, {0x20, false, true, false}, {0x38, true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reg);
    auto r = Run(did::ProcessorIsPaused, c.reg);
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.raw().boolVal != VARIANT_FALSE, c.paused);
    EXPECT_EQ(Steps(), (std::vector<std::string>{"open", "read", "close"}));
    r = Run(did::ProcessorIsReset, c.reg);
    EXPECT_EQ(r.value.raw().boolVal != VARIANT_FALSE, c.reset);
    r = Run(did::ProcessorIsRunning, c.reg);
    EXPECT_EQ(r.value.raw().boolVal != VARIANT_FALSE, c.running);
    // A reset processor is not asked whether it is paused.
    EXPECT_EQ(Steps().size(), c.reset ? 3u : 6u);
  }
}

TEST_F(ProcessorControl, NoDeviceOrFailingHostAnswersUnexpected) {
  // A device without a JTAG channel: register access still works, open/close are skipped,
  // but the instruction load has nowhere to go.
  auto bare = sim::SimHost::Instance().NewDevice({.name = u"Bare", .hasChannel = false});
  ASSERT_TRUE(CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(bare.device->dispatch())}).ok());
  EXPECT_EQ(Run(did::PauseProcessor, 0).hr, S_OK);
  EXPECT_EQ(CallDispatch(driver.get(), did::ResetVireoRegisters).hr, E_UNEXPECTED);

  // A failing host call stops the sequence: nothing is written after the failed read.
  ASSERT_TRUE(CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(dev.device->dispatch())}).ok());
  dev.device->Fail(hid::IDispVireoDevice::ReadDebugRegister, E_FAIL);
  EXPECT_EQ(Run(did::PauseProcessor, 0).hr, E_UNEXPECTED);
  EXPECT_EQ(Steps(), (std::vector<std::string>{"open", "read"}));

  // No host device at all.
  ASSERT_TRUE(CallDispatch(driver.get(), did::SetVireoDevice, {Variant::Dispatch(nullptr)}).ok());
  for (DISPID id : {did::PauseProcessor, did::ContinueProcessor, did::ResetProcessor, did::SingleStepProcessor,
                    did::ResetVireoRegisters, did::ProcessorIsPaused, did::ProcessorIsRunning}) {
    SCOPED_TRACE(id);
    Variant sentinel(std::int32_t(0x0DEADBEEF));
    VARIANT out = sentinel.detach();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(driver->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &out, nullptr, nullptr), E_UNEXPECTED);
    EXPECT_EQ(out.vt, VT_I4);  // the result is left untouched
  }
}

TEST(HostWindow, DriverAsksTheClientForItsMainWindow) {
  sim::SimHost& host = sim::SimHost::Configure({});
  ASSERT_TRUE(Driver(7));
  EXPECT_EQ(host.client->CountOf(hid::IDispClient::GetMainWindowHandle), 1u);
}

}  // namespace
}  // namespace s4::test
