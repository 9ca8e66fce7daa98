#include "driver/device_stratix4_driver.h"

namespace s4 {

TDevice_Stratix4Driver::TDevice_Stratix4Driver(std::int32_t kind) : TDeviceData(kind, u".VHD") {}

}  // namespace s4
