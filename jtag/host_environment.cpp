#include "jtag/host_environment.h"

#include "host/device_families.h"
#include "host/host_utilities.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace s4::jtag {

using namespace s4::host;

// ---- Channel --------------------------------------------------------------------------------

std::unique_ptr<HostChannel> HostChannel::From(IDispatch* channel) {
  if (!channel) return nullptr;
  return std::unique_ptr<HostChannel>(new HostChannel(channel));
}

HostChannel::~HostChannel() {
  if (pins_) pins_->Release();
}

void HostChannel::Open() { IDispJTagChannel::Open(channel_); }
void HostChannel::Close() { IDispJTagChannel::Close(channel_); }
std::int32_t HostChannel::GetDeviceCount() { return IDispJTagChannel::GetDeviceCount(channel_); }
void HostChannel::PrepareProgramming() { IDispJTagChannel::PrepareProgramming(channel_); }
std::int32_t HostChannel::ShiftData(std::int32_t value, std::int32_t bits, std::int32_t device) {
  return IDispJTagChannel::ShiftData(channel_, value, bits, device);
}
void HostChannel::SetInstruction(std::int32_t instruction, std::int32_t device) {
  IDispJTagChannel::SetInstruction(channel_, instruction, device);
}
void HostChannel::MoveState(ChannelState from, ChannelState to) {
  IDispJTagChannel::MoveState(channel_, static_cast<std::int32_t>(from), static_cast<std::int32_t>(to));
}
void HostChannel::GotoState(ChannelState state) {
  IDispJTagChannel::GotoState(channel_, static_cast<std::int32_t>(state));
}
void HostChannel::ClockTMS(bool level) { IDispJTagChannel::ClockTMS(channel_, level ? 1 : 0); }

IJTagPinAccess& HostChannel::Pins() {
  if (!pins_) {
    void* out = nullptr;
    if (FAILED(channel_->QueryInterface(IID_IJTagPinAccess, &out)) || !out)
      throw std::runtime_error("the host's JTAG channel has no pin-level interface");
    pins_ = static_cast<IJTagPinAccess*>(out);
  }
  return *pins_;
}

// ---- Family, configuration clocks ------------------------------------------------------------

FamilySettings ReadFamilySettings(IDispatch* family) {
  FamilySettings s;
  if (!family) return s;
  s.activeDisengage = IDispDeviceFamily::GetPropertyAsBoolean(family, u"ND_ActiveDisengage");
  if (IDispDeviceFamily::HasProperty(family, u"ND_ProgramBitsToIgnore"))
    s.bytesToIgnore = IDispDeviceFamily::GetPropertyAsInteger(family, u"ND_ProgramBitsToIgnore");
  return s;
}

// The host's device family, through the device manager module; none when the host has no
// device manager or does not know the family.
Object HostDeviceFamily(std::u16string_view familyName) { return host::DeviceFamily(familyName); }

// "[ClockCore] Cycles" of the first plug-in folder whose "VireoConfig.ini" describes the family,
// else the family default.
std::int32_t ConfigurationCyclesOf(std::u16string_view familyName) {
  const std::int32_t cycles = ConfiguredClockCycles(familyName);
  return cycles >= 0 ? cycles : kDefaultConfigurationCycles;
}

// ---- Environment ----------------------------------------------------------------------------

void HostEnvironment::Wait(int milliseconds) { BusyWait(milliseconds); }

FamilySettings HostEnvironment::Family() {
  const Object family = HostDeviceFamily(familyName_);
  return ReadFamilySettings(family.get());
}

std::int32_t HostEnvironment::ConfigurationCycles() { return ConfigurationCyclesOf(familyName_); }

void HostEnvironment::ProgressBegin(std::u16string_view caption, std::int64_t total) { BeginProgress(caption, total); }
void HostEnvironment::ProgressStep(std::int64_t steps) { StepProgress(steps); }
std::int64_t HostEnvironment::ProgressQuietSteps() { return QuietProgressSteps(); }
void HostEnvironment::ProgressEnd() { EndProgress(); }

}  // namespace s4::jtag
