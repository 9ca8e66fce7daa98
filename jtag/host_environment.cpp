#include "jtag/host_environment.h"

#include "host/device_families.h"
#include "host/host_utilities.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <thread>

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

// ---- Progress -------------------------------------------------------------------------------

void HostProgress::Begin(std::u16string_view caption, std::int64_t total) {
  gui_ = GUIManager();
  running_ = true;
  total_ = total;
  current_ = 0;
  next_ = 0;
  percent_ = 0;
  if (!gui_) return;
  IDispGUIManager::StatusBarSetState(gui_, -3, u"");
  IDispGUIManager::StatusBarSetState(gui_, -5, caption);
}

namespace {
// Percent of `current` in `total`, rounded to the nearest whole number and capped at 100;
// 100 when nothing was announced.
int PercentOf(std::int64_t current, std::int64_t total) {
  if (total <= 0) return 100;
  return static_cast<int>(std::min<std::int64_t>(100, (current * 200 + total) / (2 * total)));
}
}  // namespace

void HostProgress::Step() {
  if (!running_) return;
  // Programming steps once per byte; the percentage is worked out only where it can change.
  if (++current_ < next_) return;
  const int percent = PercentOf(current_, total_);
  // The first count at which the rounded percentage exceeds this one.
  next_ = total_ <= 0 || percent >= 100 ? INT64_MAX : ((2 * percent + 1) * total_ + 199) / 200;
  while (next_ <= current_) ++next_;
  if (percent <= percent_) return;
  const int gained = percent - percent_;
  percent_ = percent;
  if (!gui_) return;
  for (int k = 0; k < gained; ++k) IDispGUIManager::StatusBarSetState(gui_, -7, u"");
}

void HostProgress::End() {
  if (!running_) return;
  running_ = false;
  if (!gui_) return;
  IDispGUIManager::StatusBarSetState(gui_, -6, u"");
  IDispGUIManager::StatusBarSetState(gui_, -4, u"");
  gui_.reset();
}

// ---- Environment ----------------------------------------------------------------------------

void HostEnvironment::Wait(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < until) std::this_thread::yield();
}

FamilySettings HostEnvironment::Family() {
  const Object family = HostDeviceFamily(familyName_);
  return ReadFamilySettings(family.get());
}

std::int32_t HostEnvironment::ConfigurationCycles() { return ConfigurationCyclesOf(familyName_); }

}  // namespace s4::jtag
