// TDevice_Stratix4Driver: the driver object the module hands to the host, one per device
// kind. It adds the JTAG device operations and the flow factory to TDeviceData.
#pragma once

#include <cstdint>

#include "devicedata/device_data.h"

namespace s4 {

inline constexpr std::int32_t kDeviceKindCount = 486;

class TDevice_Stratix4Driver : public TDeviceData {
 public:
  explicit TDevice_Stratix4Driver(std::int32_t kind);

  // The JTAG device operations, run on the chain of the attached host device.
  bool ResetDevice() override;
  TDeviceState GetDeviceState() override;
  std::int32_t ProgramDevice(std::u16string_view fileName) override;
  std::uint32_t ReadUserCode() override;

 private:
  // The attached host device's JTAG channel (null without a host device or channel) and its
  // position on the chain (0 without a host device).
  ComPtr<IDispatch> JTagChannel();
  std::int32_t ChainPosition();
  // The family key the host knows this driver's devices by.
  std::u16string FamilyKey();
};

}  // namespace s4
