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
};

}  // namespace s4
