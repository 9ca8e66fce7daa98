#include "boundaryscan/abstract_bsdl.h"

namespace s4 {

#define S4_DISPID(id, name) S4_BIND(id, C::name),
S4_DEFINE_SERVICE(TAbstractBSDLEntity, u"BSDLEntity")

const TAbstractBSDLEntity::DispatchTableType& TAbstractBSDLEntity::ClassTable() {
  using C = TAbstractBSDLEntity;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/bsdl_entity.inc"
  });
  return table;
}

S4_DEFINE_SERVICE(TAbstractBSDLObject, u"BSDLObject")

const TAbstractBSDLObject::DispatchTableType& TAbstractBSDLObject::ClassTable() {
  using C = TAbstractBSDLObject;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/bsdl_object.inc"
  });
  return table;
}

S4_DEFINE_SERVICE(TAbstractScanPin, u"ScanPin")

const TAbstractScanPin::DispatchTableType& TAbstractScanPin::ClassTable() {
  using C = TAbstractScanPin;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/scan_pin.inc"
#include "driver/dispids/bsdl_value_holder.inc"
  });
  return table;
}

S4_DEFINE_SERVICE(TAbstractPinMapping, u"PinMapping")

const TAbstractPinMapping::DispatchTableType& TAbstractPinMapping::ClassTable() {
  using C = TAbstractPinMapping;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/pin_mapping.inc"
  });
  return table;
}

S4_DEFINE_SERVICE(TAbstractBoundaryCell, u"BoundaryCell")

const TAbstractBoundaryCell::DispatchTableType& TAbstractBoundaryCell::ClassTable() {
  using C = TAbstractBoundaryCell;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/boundary_cell.inc"
#include "driver/dispids/bsdl_value_holder.inc"
  });
  return table;
}

S4_DEFINE_SERVICE(TAbstractInstructionOpCode, u"InstructionOpCode")

const TAbstractInstructionOpCode::DispatchTableType& TAbstractInstructionOpCode::ClassTable() {
  using C = TAbstractInstructionOpCode;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/instruction_opcode.inc"
  });
  return table;
}

S4_DEFINE_SERVICE(TAbstractRegisterAssociation, u"RegisterAssociation")

const TAbstractRegisterAssociation::DispatchTableType& TAbstractRegisterAssociation::ClassTable() {
  using C = TAbstractRegisterAssociation;
  static const DispatchTableType table(&Parent::ClassTable(), {
#include "driver/dispids/register_association.inc"
  });
  return table;
}

#undef S4_DISPID

}  // namespace s4
