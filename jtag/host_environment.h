// The configuration routines' view of the real host: the JTAG channel object the host device
// hands out, real-time waits, the host's device family settings, the configuration clock
// count and the host's progress display (the host utilities' one).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/host_call.h"
#include "host/host_services.h"
#include "jtag/configuration.h"

namespace s4::jtag {

// The host's channel object, called through its dispatch interface.
class HostChannel final : public Channel {
 public:
  // Null when `channel` is null.
  static std::unique_ptr<HostChannel> From(IDispatch* channel);
  ~HostChannel() override;

  void Open() override;
  void Close() override;
  std::int32_t GetDeviceCount() override;
  void PrepareProgramming() override;
  std::int32_t ShiftData(std::int32_t value, std::int32_t bits, std::int32_t device) override;
  void SetInstruction(std::int32_t instruction, std::int32_t device) override;
  void MoveState(ChannelState from, ChannelState to) override;
  void GotoState(ChannelState state) override;
  void ClockTMS(bool level) override;
  host::IJTagPinAccess& Pins() override;

 private:
  explicit HostChannel(IDispatch* channel) : channel_(ComPtr<IDispatch>::Share(channel)) {}
  ComPtr<IDispatch> channel_;
  host::IJTagPinAccess* pins_ = nullptr;  // one reference, released with the channel
};

// The settings of a host device family object (null: the defaults).
FamilySettings ReadFamilySettings(IDispatch* family);

// The host's device family object of that name, or null when the host's device manager
// cannot be reached.
host::Object HostDeviceFamily(std::u16string_view familyName);

// The configuration clock count of a family: kDefaultConfigurationCycles unless the plug-in
// configuration sets another.
std::int32_t ConfigurationCyclesOf(std::u16string_view familyName);

class HostEnvironment final : public Environment {
 public:
  explicit HostEnvironment(std::u16string familyName) : familyName_(std::move(familyName)) {}
  // Busy-waits, giving the processor away between looks at the clock (the host utilities' wait).
  void Wait(int milliseconds) override;
  FamilySettings Family() override;
  std::int32_t ConfigurationCycles() override;
  // The host utilities' progress display (begin -3 and -5 with the caption, -7 per whole
  // percent, end -6 and -4).
  void ProgressBegin(std::u16string_view caption, std::int64_t total) override;
  void ProgressStep(std::int64_t steps) override;
  std::int64_t ProgressQuietSteps() override;
  void ProgressEnd() override;

 private:
  std::u16string familyName_;
};

}  // namespace s4::jtag
