#include "driver/abstract_device_information.h"

namespace s4 {

S4_DEFINE_SERVICE(TAbstractDeviceInformation, u"DeviceInformation")

const TAbstractDeviceInformation::DispatchTableType& TAbstractDeviceInformation::ClassTable() {
  using C = TAbstractDeviceInformation;
  static const DispatchTableType table(&Parent::ClassTable(), {
#define S4_DISPID(id, name) S4_BIND(id, C::name),
#include "driver/dispids/device_information.inc"
#undef S4_DISPID
  });
  return table;
}

}  // namespace s4
