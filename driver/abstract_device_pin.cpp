#include "driver/abstract_device_pin.h"

namespace s4 {

S4_DEFINE_SERVICE(TAbstractDevicePin, u"DevicePin")

const TAbstractDevicePin::DispatchTableType& TAbstractDevicePin::ClassTable() {
  using C = TAbstractDevicePin;
  static const DispatchTableType table(&Parent::ClassTable(), {
#define S4_DISPID(id, name) S4_BIND(id, C::name),
#include "driver/dispids/device_pin.inc"
#undef S4_DISPID
  });
  return table;
}

WideString TVireoAbstractDevicePin::GetUniqueDifferentialID() {
  std::u16string s(GetIOBank().view());
  s += u'|';
  s += GetDifferentialId().view();
  s += u'|';
  s += GetClkDifferentialId().view();
  return WideString(s);
}

bool TVireoAbstractDevicePin::GetIsPosPinOfDiffPair() {
  return GetIsDiffP_Pin() || GetIsHDiffP_Pin() || GetIsDCIP_Pin() || GetIsClkDiffP_Pin();
}

bool TVireoAbstractDevicePin::GetIsNegPinOfDiffPair() {
  return GetIsDiffN_Pin() || GetIsHDiffN_Pin() || GetIsDCIN_Pin() || GetIsClkDiffN_Pin();
}

S4_DEFINE_SERVICE(TAbstractDeviceIOStandard, u"DeviceIOStandard")

const TAbstractDeviceIOStandard::DispatchTableType& TAbstractDeviceIOStandard::ClassTable() {
  using C = TAbstractDeviceIOStandard;
  static const DispatchTableType table(&Parent::ClassTable(), {
#define S4_DISPID(id, name) S4_BIND(id, C::name),
#include "driver/dispids/device_io_standard.inc"
#undef S4_DISPID
  });
  return table;
}

WideString TVireoAbstractDeviceIOStandard::GetDisplayName() { return IOStandardKindDisplayName(GetIOStandardKind()); }
WideString TVireoAbstractDeviceIOStandard::GetParamName() { return IOStandardKindParamName(GetIOStandardKind()); }

}  // namespace s4
