#include "boundaryscan/bsdl_entity.h"

#include <string>

namespace s4 {
namespace {

// Appends a text padded with blanks to the width; a longer text stays whole.
void AppendPadded(std::u16string& out, std::u16string_view text, std::size_t width) {
  out += text;
  if (text.size() < width) out.append(width - text.size(), u' ');
}

std::u16string Decimal(std::int64_t n) {
  const std::string s = std::to_string(n);
  return std::u16string(s.begin(), s.end());
}

template <class T>
ComPtr<IDispatch> At(const std::vector<T*>& list, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return {};
  return DispatchOf(list[static_cast<std::size_t>(index)]);
}

std::int32_t Count(std::size_t n) { return static_cast<std::int32_t>(n); }


}  // namespace

void DestroyDispatchObject::operator()(TDispatchObject* p) const noexcept {
  try {
    p->Destroy();
  } catch (...) {
  }
}

// ---- Model objects -----------------------------------------------------------------------

// The objects are not counted, so their count is 0 from the start and stays 0.
TBSDLObject::TBSDLObject(TBSDLEntity* entity) : FEntity(entity) {
  AfterConstruction();
  AddImplementor(&FObjectImpl);
}

HRESULT TBSDLObject::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, UINT* argErr) {
  // The object's own table holds only the service query, which is the question "what is
  // this object", so the most specific implementor answers it.
  if (id == 1023) return Dispatch()->Invoke(id, iid, lcid, flags, params, result, excep, argErr);
  for (std::size_t i = 0; i < FImplementatorCount; ++i) {
    const HRESULT hr = FImplementators[i]->Invoke(id, iid, lcid, flags, params, result, excep, argErr);
    if (hr != E_NOTIMPL) return hr;
  }
  return E_NOTIMPL;
}

HRESULT TBSDLEntity::Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, UINT* argErr) {
  return Impl.Invoke(id, iid, lcid, flags, params, result, excep, argErr);
}

std::u16string TScanPin::Description() const {
  std::u16string s = u" Pin Name:";
  AppendPadded(s, PinName, 12);
  s += u" Number:";
  AppendPadded(s, PinNumber, 12);
  s += u" IO:";
  s += PinElectricalText(Direction);
  return s;
}

std::u16string TScanPin::ShortDescription() const {
  std::u16string s = PinName;
  s += u'(';
  s += PinNumber;
  s += u")-";
  s += PinElectricalText(Direction);
  return s;
}

std::u16string TBoundaryCell::Description() const {
  std::u16string s;
  AppendPadded(s, Decimal(CellNumber), 4);
  s += u'(';
  AppendPadded(s, CellKindText(CellKind), 10);
  s += u',';
  AppendPadded(s, PortId, 10);
  s += u',';
  AppendPadded(s, CellFunctionText(CellFunction), 10);
  s += u',';
  AppendPadded(s, BitValueText(SafeBit), 2);
  if (ControlCellNumber < 0) return s;
  s += u',';
  AppendPadded(s, Decimal(ControlCellNumber), 4);
  s += u',';
  AppendPadded(s, BitValueText(DisableValue), 2);
  s += u',';
  AppendPadded(s, DisableResultText(DisableResult), 10);
  s += u',';
  if (Pin) {
    s += u" Pin:";
    s += Pin->PinName;
  }
  return s;
}

std::u16string TInstructionOpCode::Description() const {
  return InstructionName + u"(" + OpCodePattern + u")";
}

std::u16string TRegisterAssociation::Description() const {
  std::u16string s;
  AppendPadded(s, RegisterName, 10);
  if (RegisterLength > 0) s += u"[" + Decimal(RegisterLength) + u"]";
  s += u" (";
  bool first = true;
  for (const auto& [name, op] : InstructionOpCodes) {
    if (!first) s += u',';
    first = false;
    s += name;
    s += u'(';
    s += op ? std::u16string_view(op->OpCodePattern) : std::u16string_view(u"NoOpcode");
    s += u')';
  }
  s += u')';
  return s;
}

// ---- Implementors ------------------------------------------------------------------------

template <class H, class M>
WideString TBSDLObjectImplOf<H, M>::GetDescription() {
  return WideString(this->Ex->Description());
}
template <class H, class M>
WideString TBSDLObjectImplOf<H, M>::GetShortDescription() {
  return WideString(this->Ex->ShortDescription());
}
template <class H, class M>
ComPtr<IDispatch> TBSDLObjectImplOf<H, M>::GetEntity() {
  TBSDLEntity* e = this->Ex->Entity();
  return e ? ComPtr<IDispatch>::Share(e->ImplDispatch()) : ComPtr<IDispatch>();
}

template class TBSDLObjectImplOf<TAbstractBSDLObject, TBSDLObject>;
template class TBSDLObjectImplOf<TAbstractScanPin, TScanPin>;
template class TBSDLObjectImplOf<TAbstractBoundaryCell, TBoundaryCell>;
template class TBSDLObjectImplOf<TAbstractPinMapping, TPinMapping>;
template class TBSDLObjectImplOf<TAbstractInstructionOpCode, TInstructionOpCode>;
template class TBSDLObjectImplOf<TAbstractRegisterAssociation, TRegisterAssociation>;

bool TScanPin_Impl::SupportsService(std::u16string_view name) {
  return TAbstractScanPin::SupportsService(name) || EqualsIgnoreCase(name, u"BSDLValueHolder");
}
TPinElectrical TScanPin_Impl::GetDirection() { return Ex->Direction; }
WideString TScanPin_Impl::GetPinName() { return WideString(Ex->PinName); }
WideString TScanPin_Impl::GetPinNumber() { return WideString(Ex->PinNumber); }
TScanPinKind TScanPin_Impl::GetKind() { return Ex->Kind; }
ComPtr<IDispatch> TScanPin_Impl::GetPinMapping() { return DispatchOf(Ex->PinMapping); }
std::int32_t TScanPin_Impl::GetBoundaryCellCount() { return Count(Ex->BoundaryCells.size()); }
ComPtr<IDispatch> TScanPin_Impl::GetBoundaryCell(std::int32_t index) { return At(Ex->BoundaryCells, index); }
std::int32_t TScanPin_Impl::GetCurrentValue() { return Ex->CurrentValue; }
void TScanPin_Impl::SetCurrentValue(std::int32_t value) { Ex->CurrentValue = value; }

bool TBoundaryCell_Impl::SupportsService(std::u16string_view name) {
  return TAbstractBoundaryCell::SupportsService(name) || EqualsIgnoreCase(name, u"BSDLValueHolder");
}
std::int32_t TBoundaryCell_Impl::GetCellNumber() { return Ex->CellNumber; }
TCellKind TBoundaryCell_Impl::GetCellKind() { return Ex->CellKind; }
WideString TBoundaryCell_Impl::GetPortId() { return WideString(Ex->PortId); }
TCellFunction TBoundaryCell_Impl::GetCellFunction() { return Ex->CellFunction; }
TBitValue TBoundaryCell_Impl::GetSafeBit() { return Ex->SafeBit; }
std::int32_t TBoundaryCell_Impl::GetControlCellNumber() { return Ex->ControlCellNumber; }
TBitValue TBoundaryCell_Impl::GetDisableValue() { return Ex->DisableValue; }
TDisableResult TBoundaryCell_Impl::GetDisableResult() { return Ex->DisableResult; }
ComPtr<IDispatch> TBoundaryCell_Impl::GetPin() { return DispatchOf(Ex->Pin); }
ComPtr<IDispatch> TBoundaryCell_Impl::GetControlCell() { return DispatchOf(Ex->ControlCell); }
ComPtr<IDispatch> TBoundaryCell_Impl::GetTargetCell() { return DispatchOf(Ex->TargetCell); }
std::int32_t TBoundaryCell_Impl::GetCurrentValue() { return Ex->CurrentValue; }
void TBoundaryCell_Impl::SetCurrentValue(std::int32_t value) { Ex->CurrentValue = value; }

WideString TPinMapping_Impl::GetPinName() { return WideString(Ex->PinName); }
WideString TPinMapping_Impl::GetPinNumber() { return WideString(Ex->PinNumber); }
ComPtr<IDispatch> TPinMapping_Impl::GetScanPin() { return DispatchOf(Ex->ScanPin); }

WideString TInstructionOpCode_Impl::GetInstructionName() { return WideString(Ex->InstructionName); }
WideString TInstructionOpCode_Impl::GetOpCodePattern() { return WideString(Ex->OpCodePattern); }

WideString TRegisterAssociation_Impl::GetRegisterName() { return WideString(Ex->RegisterName); }
std::int32_t TRegisterAssociation_Impl::GetRegisterLength() { return Ex->RegisterLength; }
std::int32_t TRegisterAssociation_Impl::GetInstructionOpcodeCount() { return Count(Ex->InstructionOpCodes.size()); }
ComPtr<IDispatch> TRegisterAssociation_Impl::GetInstructionOpcode(std::int32_t index) {
  const auto& list = Ex->InstructionOpCodes;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return {};
  return DispatchOf(list[static_cast<std::size_t>(index)].second);
}

WideString TBSDLEntity_Impl::GetName() { return WideString(Ex->Name); }
std::int32_t TBSDLEntity_Impl::GetInstructionLength() { return Ex->InstructionLength; }
std::uint32_t TBSDLEntity_Impl::GetIdCode() { return Ex->IdCode; }
std::int32_t TBSDLEntity_Impl::GetBoundaryLength() { return Ex->BoundaryLength; }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPin(std::int32_t index) { return At(Ex->Pins, index); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPinMapping(std::int32_t index) { return At(Ex->PinMappings, index); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetBoundaryCell(std::int32_t index) { return At(Ex->BoundaryCells, index); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetInstructionOpcode(std::int32_t index) {
  return At(Ex->InstructionOpCodes, index);
}
ComPtr<IDispatch> TBSDLEntity_Impl::GetRegisterAssociation(std::int32_t index) {
  return At(Ex->RegisterAssociations, index);
}
std::int32_t TBSDLEntity_Impl::GetPinCount() { return Count(Ex->Pins.size()); }
std::int32_t TBSDLEntity_Impl::GetPinMappingCount() { return Count(Ex->PinMappings.size()); }
std::int32_t TBSDLEntity_Impl::GetBoundaryCellCount() { return Count(Ex->BoundaryCells.size()); }
std::int32_t TBSDLEntity_Impl::GetInstructionOpcodeCount() { return Count(Ex->InstructionOpCodes.size()); }
std::int32_t TBSDLEntity_Impl::GetRegisterAssociationCount() { return Count(Ex->RegisterAssociations.size()); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPin_TDI() { return DispatchOf(Ex->TAP_TDI); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPin_TDO() { return DispatchOf(Ex->TAP_TDO); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPin_TMS() { return DispatchOf(Ex->TAP_TMS); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPin_TCK() { return DispatchOf(Ex->TAP_TCK); }
ComPtr<IDispatch> TBSDLEntity_Impl::GetPin_TRST() { return DispatchOf(Ex->TAP_TRST); }
std::uint32_t TBSDLEntity_Impl::GetInstruction_BYPASS() { return Ex->Instruction_BYPASS; }
std::uint32_t TBSDLEntity_Impl::GetInstruction_EXTEST() { return Ex->Instruction_EXTEST; }
std::uint32_t TBSDLEntity_Impl::GetInstruction_SAMPLE() { return Ex->Instruction_SAMPLE; }
std::uint32_t TBSDLEntity_Impl::GetInstruction_IDCODE() { return Ex->Instruction_IDCODE; }
std::uint32_t TBSDLEntity_Impl::GetInstruction_USERCODE() { return Ex->Instruction_USERCODE; }
std::uint32_t TBSDLEntity_Impl::GetInstruction_CLAMP() { return Ex->Instruction_CLAMP; }
std::uint32_t TBSDLEntity_Impl::GetInstruction_HIGHZ() { return Ex->Instruction_HIGHZ; }
double TBSDLEntity_Impl::GetScanClockMaxSpeed() { return Ex->ScanClockMaxSpeed; }
TScanClockHaltMode TBSDLEntity_Impl::GetScanClockHaltMode() { return Ex->ScanClockHaltMode; }
WideString TBSDLEntity_Impl::GetConformanceStatement() { return WideString(Ex->ConformanceStatement); }
// The built-in descriptions have no pattern; an imported file's pattern is worth showing.
WideString TBSDLEntity_Impl::GetCompliancePattern() { return WideString(Ex->CompliancePattern); }
WideString TBSDLEntity_Impl::GetDesignWarning() { return WideString(Ex->DesignWarning); }
WideString TBSDLEntity_Impl::GetFilename() { return WideString(Ex->Filename); }

}  // namespace s4
