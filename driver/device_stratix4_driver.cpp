#include "driver/device_stratix4_driver.h"

#include "host/host_call.h"
#include "jtag/configuration.h"
#include "jtag/host_environment.h"

namespace s4 {

TDevice_Stratix4Driver::TDevice_Stratix4Driver(std::int32_t kind) : TDeviceData(kind, u".VHD") {}

ComPtr<IDispatch> TDevice_Stratix4Driver::JTagChannel() {
  IDispatch* device = VireoDevice();
  return device ? host::IDispVireoDevice::GetJTagChannel(device) : ComPtr<IDispatch>();
}

std::int32_t TDevice_Stratix4Driver::ChainPosition() {
  IDispatch* device = VireoDevice();
  return device ? host::IDispVireoDevice::GetChainPosition(device) : 0;
}

std::u16string TDevice_Stratix4Driver::FamilyKey() {
  const WideString name = GetFamilyName();
  return name.empty() ? std::u16string(u"Stratix4") : std::u16string(name.view());
}

bool TDevice_Stratix4Driver::ResetDevice() {
  const ComPtr<IDispatch> channelObject = JTagChannel();
  const WideString baseName = GetBaseName();
  const std::int32_t position = ChainPosition();
  auto channel = jtag::HostChannel::From(channelObject.get());
  return jtag::ResetDevice(channel.get(), baseName.view(), position);
}

TDeviceState TDevice_Stratix4Driver::GetDeviceState() {
  const ComPtr<IDispatch> channelObject = JTagChannel();
  const WideString baseName = GetBaseName();
  const std::int32_t position = ChainPosition();
  auto channel = jtag::HostChannel::From(channelObject.get());
  return static_cast<TDeviceState>(jtag::GetDeviceState(channel.get(), baseName.view(), position));
}

std::int32_t TDevice_Stratix4Driver::ProgramDevice(std::u16string_view fileName) {
  const std::int32_t position = ChainPosition();
  const ComPtr<IDispatch> channelObject = JTagChannel();
  auto channel = jtag::HostChannel::From(channelObject.get());
  jtag::HostEnvironment env(FamilyKey());
  return jtag::ProgramDevice(channel.get(), position, fileName, env);
}

std::uint32_t TDevice_Stratix4Driver::ReadUserCode() {
  const ComPtr<IDispatch> channelObject = JTagChannel();
  const std::int32_t position = ChainPosition();
  auto channel = jtag::HostChannel::From(channelObject.get());
  return jtag::ReadUserCode(channel.get(), position);
}

}  // namespace s4
