// The host's view of a boundary-scan description: one abstract dispatch class per host
// interface, mapping the DISPIDs of driver/dispids/bsdl_*.inc and the per-object lists to
// virtual operations. The implementors in bsdl_entity.h answer them from the model.
#pragma once

#include <cstdint>
#include <string_view>

#include "boundaryscan/bscan_types.h"
#include "driver/support_service.h"
#include "platform/com_ptr.h"
#include "platform/widestring.h"

namespace s4 {

#define S4_BSDL_ABSTRACT_CLASS_DECL                                 \
  using Parent::SupportsService;                                   \
  bool SupportsService(std::u16string_view name) override;         \
  const DispatchTableType& DispatchTable() const override;         \
  static const DispatchTableType& ClassTable();

class TAbstractBSDLEntity : public TAbstractSupportService {
 public:
  using Parent = TAbstractSupportService;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual WideString GetName() = 0;
  virtual std::int32_t GetInstructionLength() = 0;
  virtual std::uint32_t GetIdCode() = 0;
  virtual std::int32_t GetBoundaryLength() = 0;
  virtual ComPtr<IDispatch> GetPin(std::int32_t index) = 0;
  virtual ComPtr<IDispatch> GetPinMapping(std::int32_t index) = 0;
  virtual ComPtr<IDispatch> GetBoundaryCell(std::int32_t index) = 0;
  virtual ComPtr<IDispatch> GetInstructionOpcode(std::int32_t index) = 0;
  virtual ComPtr<IDispatch> GetRegisterAssociation(std::int32_t index) = 0;
  virtual std::int32_t GetPinCount() = 0;
  virtual std::int32_t GetPinMappingCount() = 0;
  virtual std::int32_t GetBoundaryCellCount() = 0;
  virtual std::int32_t GetInstructionOpcodeCount() = 0;
  virtual std::int32_t GetRegisterAssociationCount() = 0;
  virtual ComPtr<IDispatch> GetPin_TDI() = 0;
  virtual ComPtr<IDispatch> GetPin_TDO() = 0;
  virtual ComPtr<IDispatch> GetPin_TMS() = 0;
  virtual ComPtr<IDispatch> GetPin_TCK() = 0;
  virtual ComPtr<IDispatch> GetPin_TRST() = 0;
  virtual std::uint32_t GetInstruction_BYPASS() = 0;
  virtual std::uint32_t GetInstruction_EXTEST() = 0;
  virtual std::uint32_t GetInstruction_SAMPLE() = 0;
  virtual std::uint32_t GetInstruction_IDCODE() = 0;
  virtual std::uint32_t GetInstruction_USERCODE() = 0;
  virtual std::uint32_t GetInstruction_CLAMP() = 0;
  virtual std::uint32_t GetInstruction_HIGHZ() = 0;
  virtual double GetScanClockMaxSpeed() = 0;
  virtual TScanClockHaltMode GetScanClockHaltMode() = 0;
  virtual WideString GetConformanceStatement() = 0;
  virtual WideString GetCompliancePattern() = 0;
  virtual WideString GetDesignWarning() = 0;
  virtual WideString GetFilename() = 0;
};

// The operations every object of the tree other than the entity has.
class TAbstractBSDLObject : public TAbstractSupportService {
 public:
  using Parent = TAbstractSupportService;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual WideString GetDescription() = 0;
  virtual WideString GetShortDescription() = 0;
  virtual ComPtr<IDispatch> GetEntity() = 0;
};

class TAbstractScanPin : public TAbstractBSDLObject {
 public:
  using Parent = TAbstractBSDLObject;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual TPinElectrical GetDirection() = 0;
  virtual WideString GetPinName() = 0;
  virtual WideString GetPinNumber() = 0;
  virtual TScanPinKind GetKind() = 0;
  virtual ComPtr<IDispatch> GetPinMapping() = 0;
  virtual std::int32_t GetBoundaryCellCount() = 0;
  virtual ComPtr<IDispatch> GetBoundaryCell(std::int32_t index) = 0;
  virtual std::int32_t GetCurrentValue() = 0;
  virtual void SetCurrentValue(std::int32_t value) = 0;
};

class TAbstractPinMapping : public TAbstractBSDLObject {
 public:
  using Parent = TAbstractBSDLObject;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual WideString GetPinName() = 0;
  virtual WideString GetPinNumber() = 0;
  virtual ComPtr<IDispatch> GetScanPin() = 0;
};

class TAbstractBoundaryCell : public TAbstractBSDLObject {
 public:
  using Parent = TAbstractBSDLObject;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual std::int32_t GetCellNumber() = 0;
  virtual TCellKind GetCellKind() = 0;
  virtual WideString GetPortId() = 0;
  virtual TCellFunction GetCellFunction() = 0;
  virtual TBitValue GetSafeBit() = 0;
  virtual std::int32_t GetControlCellNumber() = 0;
  virtual TBitValue GetDisableValue() = 0;
  virtual TDisableResult GetDisableResult() = 0;
  virtual ComPtr<IDispatch> GetPin() = 0;
  virtual ComPtr<IDispatch> GetControlCell() = 0;
  virtual ComPtr<IDispatch> GetTargetCell() = 0;
  virtual std::int32_t GetCurrentValue() = 0;
  virtual void SetCurrentValue(std::int32_t value) = 0;
};

class TAbstractInstructionOpCode : public TAbstractBSDLObject {
 public:
  using Parent = TAbstractBSDLObject;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual WideString GetInstructionName() = 0;
  virtual WideString GetOpCodePattern() = 0;
};

class TAbstractRegisterAssociation : public TAbstractBSDLObject {
 public:
  using Parent = TAbstractBSDLObject;
  S4_BSDL_ABSTRACT_CLASS_DECL

  virtual WideString GetRegisterName() = 0;
  virtual std::int32_t GetRegisterLength() = 0;
  virtual std::int32_t GetInstructionOpcodeCount() = 0;
  virtual ComPtr<IDispatch> GetInstructionOpcode(std::int32_t index) = 0;
};

#undef S4_BSDL_ABSTRACT_CLASS_DECL

}  // namespace s4
