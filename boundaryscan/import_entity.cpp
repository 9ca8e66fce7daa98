#include "boundaryscan/import_entity.h"

#include <map>

#include "boundaryscan/bsdl/flatten.h"
#include "platform/widestring.h"

namespace s4 {

Owned<TBSDLEntity> ImportEntity(const bsdl::Description& d, std::u16string_view fileName, std::string_view package) {
  const bsdl::FlatEntity f = bsdl::Flatten(d, package);
  Owned<TBSDLEntity> owner = MakeOwned<TBSDLEntity>();
  TBSDLEntity& e = *owner;
  e.Name = Utf8ToUtf16(f.name);
  e.Filename = fileName;
  e.BoundaryLength = f.boundaryLength;
  e.ScanClockMaxSpeed = f.scanClockMaxSpeed;
  e.ScanClockHaltMode = f.haltMode;
  e.ConformanceStatement = Utf8ToUtf16(f.conformance);
  e.CompliancePattern = Utf8ToUtf16(f.compliancePattern);
  e.DesignWarning = Utf8ToUtf16(f.designWarning);
  e.InstructionLength = d.instructionLength > 0 ? d.instructionLength : 0;
  if (!d.idcode.empty()) e.IdCode = bsdl::OpcodeValue(d.idcode);
  const std::pair<const char*, std::uint32_t*> codes[] = {
      {"BYPASS", &e.Instruction_BYPASS}, {"EXTEST", &e.Instruction_EXTEST},     {"SAMPLE", &e.Instruction_SAMPLE},
      {"IDCODE", &e.Instruction_IDCODE}, {"USERCODE", &e.Instruction_USERCODE}, {"CLAMP", &e.Instruction_CLAMP},
      {"HIGHZ", &e.Instruction_HIGHZ}};
  for (const auto& [name, field] : codes)
    if (const bsdl::Instruction* i = d.FindInstruction(name); i && !i->opcodes.empty())
      *field = bsdl::OpcodeValue(i->opcodes.front());

  std::map<int, TBoundaryCell*> cellOf;
  for (const bsdl::FlatCell& c : f.cells) {
    TBoundaryCell* cell = e.NewObject<TBoundaryCell>();
    cell->SetCellNumber(c.number);
    cell->SetCellKind(c.kind);
    cell->SetPortId(Utf8ToUtf16(c.port));
    cell->SetCellFunction(c.function);
    cell->SetSafeBit(c.safe);
    cell->SetControlCellNumber(c.control);
    cell->SetDisableValue(c.disableValue);
    cell->SetDisableResult(c.disableResult);
    e.AddBoundaryCell(cell);
    cellOf[c.number] = cell;
  }
  auto cell = [&](int n) -> TBoundaryCell* {
    auto it = cellOf.find(n);
    return it == cellOf.end() ? nullptr : it->second;
  };
  std::map<std::string, TScanPin*> pinOf;
  for (const bsdl::FlatPin& p : f.pins) {
    TScanPin* pin = e.NewObject<TScanPin>();
    pin->SetDirection(p.direction);
    pin->SetPinName(Utf8ToUtf16(p.name));
    pin->SetPinNumber(Utf8ToUtf16(p.number));
    pin->SetKind(p.kind);
    TPinMapping* mapping = e.NewObject<TPinMapping>();
    mapping->SetPinName(pin->PinName);
    mapping->SetPinNumber(pin->PinNumber);
    mapping->SetScanPin(pin);
    pin->SetPinMapping(mapping);
    e.AddPinMapping(mapping);
    for (int n : p.cells)
      if (TBoundaryCell* c = cell(n)) pin->AddBoundaryCell(c);
    e.AddPin(pin);
    pinOf.emplace(p.number, pin);
  }
  auto pin = [&](const std::string& number) -> TScanPin* {
    auto it = pinOf.find(number);
    return it == pinOf.end() ? nullptr : it->second;
  };
  e.TAP_TDI = pin(f.tdi);
  e.TAP_TDO = pin(f.tdo);
  e.TAP_TMS = pin(f.tms);
  e.TAP_TCK = pin(f.tck);
  e.TAP_TRST = pin(f.trst);
  for (const bsdl::FlatCell& c : f.cells) {
    TBoundaryCell* x = cell(c.number);
    x->SetPin(c.pinNumber.empty() ? nullptr : pin(c.pinNumber));
    if (c.control >= 0) x->SetControlCell(cell(c.control));
    if (c.target >= 0) x->SetTargetCell(cell(c.target));
  }
  std::map<std::string, TInstructionOpCode*> firstOpcode;
  for (const bsdl::FlatOpCode& o : f.opcodes) {
    TInstructionOpCode* op = e.NewObject<TInstructionOpCode>();
    op->SetInstructionName(Utf8ToUtf16(o.name));
    op->SetOpCodePattern(Utf8ToUtf16(o.pattern));
    op->InstructionCode = bsdl::OpcodeValue(o.pattern);
    e.AddInstructionOpCode(op);
    firstOpcode.emplace(o.name, op);
  }
  for (const bsdl::FlatRegister& r : f.registers) {
    TRegisterAssociation* ra = e.NewObject<TRegisterAssociation>();
    ra->SetRegisterName(Utf8ToUtf16(r.name));
    ra->SetRegisterLength(r.length);
    for (const std::string& name : r.instructions) {
      const bsdl::Instruction* ins = d.FindInstruction(name);
      auto it = ins ? firstOpcode.find(ins->name) : firstOpcode.end();
      if (it != firstOpcode.end())
        ra->AddOpCode(it->second);
      else
        ra->AddInstructionName(Utf8ToUtf16(name));  // REGISTER_ACCESS may name an undefined instruction
    }
    e.AddRegisterAssociation(ra);
  }
  return owner;
}

}  // namespace s4
