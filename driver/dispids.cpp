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
#define S4_INTERFACE "BSDLObject"
#include "driver/dispids/bsdl_object.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "BSDLEntity"
#include "driver/dispids/bsdl_entity.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "BSDLValueHolder"
#include "driver/dispids/bsdl_value_holder.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "ScanPin"
#include "driver/dispids/scan_pin.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "PinMapping"
#include "driver/dispids/pin_mapping.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "BoundaryCell"
#include "driver/dispids/boundary_cell.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "InstructionOpCode"
#include "driver/dispids/instruction_opcode.inc"
#undef S4_INTERFACE
#define S4_INTERFACE "RegisterAssociation"
#include "driver/dispids/register_association.inc"
#undef S4_INTERFACE
#undef S4_DISPID
  };
  return all;
}

}  // namespace s4::dispid
