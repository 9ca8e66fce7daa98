#include "driver/dispids.h"

namespace s4::dispid {

std::span<const Named> All() {
  static const Named all[] = {
#define S4_DISPID(id, name) {id, #name, S4_INTERFACE},
#define S4_INTERFACE "SupportService"
#include "driver/dispids/support_service.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "DeviceInformation"
#include "driver/dispids/device_information.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "VireoDriver"
#include "driver/dispids/vireo_driver.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "DevicePin"
#include "driver/dispids/device_pin.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "DeviceIOStandard"
#include "driver/dispids/device_io_standard.inc"
#undef S4_INTERFACE
#undef S4_DISPID
  };
  return all;
}

}  // namespace s4::dispid
