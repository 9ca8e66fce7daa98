#include "boundaryscan/builtin_entity.h"

#include <charconv>
#include <stdexcept>

#include "boundaryscan/builtin_records.h"

namespace s4 {
namespace {

using builtin::String;

template <class T>
T* Find(NamedObjectList<void*>& list, std::u16string_view key) {
  const auto i = list.IndexOf(key);
  return i ? static_cast<T*>(list[*i].object) : nullptr;
}

// The decimal text of a cell number, the key of the cell list.
std::u16string_view CellKey(int n, char16_t (&buf)[12]) {
  char narrow[12];
  const auto r = std::to_chars(narrow, narrow + sizeof narrow, n);
  const std::size_t len = static_cast<std::size_t>(r.ptr - narrow);
  for (std::size_t i = 0; i < len; ++i) buf[i] = static_cast<char16_t>(narrow[i]);
  return std::u16string_view(buf, len);
}

TBoundaryCell* CellByNumber(NamedObjectList<void*>& list, int n) {
  if (n < 0) return nullptr;
  char16_t buf[12];
  return Find<TBoundaryCell>(list, CellKey(n, buf));
}

}  // namespace

std::size_t BuiltInRecordIndex(std::u16string_view fileName) {
  std::size_t found = 0;
  const auto records = builtin::Records();
  for (std::size_t i = 0; i < records.size(); ++i)
    if (EqualsIgnoreCase(String(records[i].filename), fileName)) found = i;
  return found;
}

namespace {
Owned<TBSDLEntity> Build(std::size_t index, const TBSDLLookupLists& lists);
}  // namespace

Owned<TBSDLEntity> BuildBuiltInEntity(std::size_t index, const TBSDLLookupLists& lists) {
  try {
    return Build(index, lists);
  } catch (...) {
    // The lists would point into the entity that is being freed.
    lists.ScanPins.clear();
    lists.BoundaryCells.clear();
    lists.PinMappings.clear();
    lists.OpCodes.clear();
    lists.RegisterAssociations.clear();
    throw;
  }
}

namespace {
Owned<TBSDLEntity> Build(std::size_t index, const TBSDLLookupLists& lists) {
  const auto records = builtin::Records();
  if (index >= records.size()) throw std::out_of_range("no built-in boundary-scan record " + std::to_string(index));
  const builtin::BSDLRecord& r = records[index];

  // 1. The entity's own fields; the other instructions stay undefined.
  Owned<TBSDLEntity> owner = MakeOwned<TBSDLEntity>();
  TBSDLEntity& e = *owner;
  e.Name = String(r.name);
  e.BoundaryLength = r.boundaryLength;
  e.ScanClockMaxSpeed = r.scanClockMaxSpeed;
  e.ScanClockHaltMode = static_cast<TScanClockHaltMode>(r.haltMode);
  e.ConformanceStatement = String(r.conformance);
  e.CompliancePattern = String(r.compliancePattern);
  e.Filename = String(r.filename);
  e.Instruction_SAMPLE = r.instructionSample;
  e.Reserve(static_cast<std::size_t>(r.cellCount) + 2u * r.pinCount + r.opCodeCount + r.registerCount);
  e.BoundaryCells.reserve(r.cellCount);
  e.Pins.reserve(r.pinCount);

  // 2. Cells, found by number or made.
  for (std::size_t i = 0; i < r.cellCount; ++i) {
    const builtin::CellRecord& c = r.cells[i];
    const int number = static_cast<int>(i);
    char16_t buf[12];
    const std::u16string_view key = CellKey(number, buf);
    TBoundaryCell* cell = Find<TBoundaryCell>(lists.BoundaryCells, key);
    if (!cell) {
      cell = e.NewObject<TBoundaryCell>();
      cell->SetCellNumber(number);
      cell->SetCellKind(static_cast<TCellKind>(c.kind));
      cell->SetPortId(String(c.port));
      cell->SetCellFunction(static_cast<TCellFunction>(c.function));
      cell->SetSafeBit(static_cast<TBitValue>(c.safe));
      cell->SetControlCellNumber(c.control);
      cell->SetDisableValue(static_cast<TBitValue>(c.disableValue));
      cell->SetDisableResult(static_cast<TDisableResult>(c.disableResult));
      lists.BoundaryCells.Add(key, cell);
    }
    e.AddBoundaryCell(cell);
  }

  // 3. Scan pins with their pin mappings and their own cells.
  for (std::size_t i = 0; i < r.pinCount; ++i) {
    const builtin::PinRecord& p = r.pins[i];
    const std::u16string_view number = String(p.number);
    TScanPin* pin = Find<TScanPin>(lists.ScanPins, number);
    if (!pin) {
      pin = e.NewObject<TScanPin>();
      pin->SetDirection(static_cast<TPinElectrical>(p.direction));
      pin->SetPinName(String(p.name));
      pin->SetPinNumber(number);
      pin->SetKind(static_cast<TScanPinKind>(p.kind));
      TPinMapping* mapping = Find<TPinMapping>(lists.PinMappings, number);
      if (!mapping) {
        mapping = e.NewObject<TPinMapping>();
        mapping->SetPinName(String(p.name));
        mapping->SetPinNumber(number);
        mapping->SetScanPin(pin);
        lists.PinMappings.Add(number, mapping);
      }
      pin->SetPinMapping(mapping);
      for (std::int16_t n : p.cells)
        if (TBoundaryCell* cell = CellByNumber(lists.BoundaryCells, n)) pin->AddBoundaryCell(cell);
      lists.ScanPins.Add(number, pin);
    }
    e.AddPin(pin);
  }

  // 4. The TAP pins.
  e.TAP_TDI = Find<TScanPin>(lists.ScanPins, String(r.tdi));
  e.TAP_TDO = Find<TScanPin>(lists.ScanPins, String(r.tdo));
  e.TAP_TMS = Find<TScanPin>(lists.ScanPins, String(r.tms));
  e.TAP_TCK = Find<TScanPin>(lists.ScanPins, String(r.tck));
  e.TAP_TRST = Find<TScanPin>(lists.ScanPins, String(r.trst));

  // 5. The cells' references to their pin, control cell and target cell.
  for (std::size_t i = 0; i < r.cellCount; ++i) {
    const builtin::CellRecord& c = r.cells[i];
    TBoundaryCell* cell = e.BoundaryCells[i];
    const std::u16string_view pinNumber = String(c.pinNumber);
    cell->SetPin(pinNumber.empty() ? nullptr : Find<TScanPin>(lists.ScanPins, pinNumber));
    if (c.control != -1) cell->SetControlCell(CellByNumber(lists.BoundaryCells, c.control));
    if (c.target != -1) cell->SetTargetCell(CellByNumber(lists.BoundaryCells, c.target));
  }

  // 6. Opcodes.
  for (std::size_t i = 0; i < r.opCodeCount; ++i) {
    const builtin::OpCodeRecord& o = r.opCodes[i];
    const std::u16string_view name = String(o.name);
    TInstructionOpCode* op = Find<TInstructionOpCode>(lists.OpCodes, name);
    if (!op) {
      op = e.NewObject<TInstructionOpCode>();
      op->SetInstructionName(name);
      op->SetOpCodePattern(String(o.pattern));
      lists.OpCodes.Add(name, op);
    }
    e.AddInstructionOpCode(op);
  }

  // 7. Register associations with their opcode.
  for (std::size_t i = 0; i < r.registerCount; ++i) {
    const builtin::RegisterRecord& a = r.registers[i];
    const std::u16string_view name = String(a.name);
    TRegisterAssociation* ra = Find<TRegisterAssociation>(lists.RegisterAssociations, name);
    if (!ra) {
      ra = e.NewObject<TRegisterAssociation>();
      ra->SetRegisterName(name);
      ra->SetRegisterLength(a.length);
      const std::u16string_view opName = String(a.opcode);
      if (TInstructionOpCode* op = Find<TInstructionOpCode>(lists.OpCodes, opName))
        ra->AddOpCode(op);
      else
        ra->AddInstructionName(opName);
      lists.RegisterAssociations.Add(name, ra);
    }
    e.AddRegisterAssociation(ra);
  }
  return owner;
}
}  // namespace

void ReleaseBuiltInEntities(NamedObjectList<IDispatch*>& list) {
  for (auto& entry : list) {
    if (entry.object) DestroyDispatchObject()(static_cast<TBSDLEntity*>(entry.object));
    entry.object = nullptr;
  }
}

}  // namespace s4
