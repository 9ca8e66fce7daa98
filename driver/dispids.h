// The DISPIDs of the interfaces the module serves, from the lists in driver/dispids/.
#pragma once

#include <span>
#include <string_view>

#include "platform/com.h"

namespace s4::dispid {

#define S4_DISPID(id, name) inline constexpr DISPID name = id;
namespace SupportService {
#include "driver/dispids/support_service.inc"
}
namespace DeviceInformation {
#include "driver/dispids/device_information.inc"
}
namespace VireoDriver {
#include "driver/dispids/vireo_driver.inc"
}
namespace DevicePin {
#include "driver/dispids/device_pin.inc"
}
namespace DeviceIOStandard {
#include "driver/dispids/device_io_standard.inc"
}
// The boundary-scan objects (an entity and the objects of its tree).
namespace BSDLObject {
#include "driver/dispids/bsdl_object.inc"
}
namespace BSDLEntity {
#include "driver/dispids/bsdl_entity.inc"
}
namespace BSDLValueHolder {
#include "driver/dispids/bsdl_value_holder.inc"
}
namespace ScanPin {
#include "driver/dispids/scan_pin.inc"
}
namespace PinMapping {
#include "driver/dispids/pin_mapping.inc"
}
namespace BoundaryCell {
#include "driver/dispids/boundary_cell.inc"
}
namespace InstructionOpCode {
#include "driver/dispids/instruction_opcode.inc"
}
namespace RegisterAssociation {
#include "driver/dispids/register_association.inc"
}
#undef S4_DISPID

struct Named {
  DISPID id;
  std::string_view name;
  std::string_view interfaceName;
};

// Every listed DISPID with its operation and interface name, interface by interface.
std::span<const Named> All();

}  // namespace s4::dispid
