#include "driver/abstract_vireo_driver.h"

namespace s4 {

S4_DEFINE_SERVICE(TAbstractVireoDriver, u"VireoDriver")

const TAbstractVireoDriver::DispatchTableType& TAbstractVireoDriver::ClassTable() {
  using C = TAbstractVireoDriver;
  static const DispatchTableType table(&Parent::ClassTable(), {
#define S4_DISPID(id, name) S4_BIND(id, C::name),
#include "driver/dispids/vireo_driver.inc"
#undef S4_DISPID
  });
  return table;
}

}  // namespace s4
