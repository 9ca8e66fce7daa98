#include "boundaryscan/builtin_entity.h"

#include <charconv>
#include <unordered_map>
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

// Finds the object under `key` or makes one with `make` and enters it: one hashed look-up.
template <class T, class Make>
T* FindOrCreate(NamedObjectList<void*>& list, std::u16string_view key, Make make) {
  void*& slot = list[list.Add(key, nullptr)].object;
  if (!slot) slot = make();
  return static_cast<T*>(slot);
}

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
  e.BoundaryCells.reserve(r.cellCount);
  e.Pins.reserve(r.pinCount);
  lists.BoundaryCells.Reserve(lists.BoundaryCells.size() + r.cellCount);
  lists.ScanPins.Reserve(lists.ScanPins.size() + r.pinCount);
  lists.PinMappings.Reserve(lists.PinMappings.size() + r.pinCount);

  // 2. Cells, found by number or made. The cell at list index n is cell n, so the later
  // steps take "the cell with number n" from the list.
  const std::span<const builtin::CellShape> shapes = builtin::CellShapes();
  for (std::size_t i = 0; i < r.cellCount; ++i) {
    const builtin::CellRecord& c = r.cells[i];
    const builtin::CellShape& s = shapes[c.shape];
    const int number = static_cast<int>(i);
    char16_t buf[12];
    e.AddBoundaryCell(FindOrCreate<TBoundaryCell>(lists.BoundaryCells, CellKey(number, buf), [&] {
      TBoundaryCell* cell = e.NewObject<TBoundaryCell>();
      cell->SetCellNumber(number);
      cell->SetCellKind(static_cast<TCellKind>(s.kind));
      cell->SetPortId(String(c.port));
      cell->SetCellFunction(static_cast<TCellFunction>(s.function));
      cell->SetSafeBit(static_cast<TBitValue>(s.safe));
      cell->SetControlCellNumber(builtin::RelativeCell(number, s.control));
      cell->SetDisableValue(static_cast<TBitValue>(s.disableValue));
      cell->SetDisableResult(static_cast<TDisableResult>(s.disableResult));
      return cell;
    }));
  }
  auto cellNumbered = [&](int n) -> TBoundaryCell* {
    return n >= 0 && static_cast<std::size_t>(n) < e.BoundaryCells.size() ? e.BoundaryCells[static_cast<std::size_t>(n)]
                                                                            : CellByNumber(lists.BoundaryCells, n);
  };

  // 3. Scan pins with their pin mappings and their own cells; pinOf gives the pin of a
  // record's pin-number text without another look-up.
  std::vector<TScanPin*> pinByText(builtin::StringCount(), nullptr);
  for (std::size_t i = 0; i < r.pinCount; ++i) {
    const builtin::PinRecord& p = r.pins[i];
    const std::u16string_view number = String(p.number);
    TScanPin* pin = FindOrCreate<TScanPin>(lists.ScanPins, number, [&] {
      TScanPin* made = e.NewObject<TScanPin>();
      made->SetDirection(static_cast<TPinElectrical>(p.direction));
      made->SetPinName(String(p.name));
      made->SetPinNumber(number);
      made->SetKind(static_cast<TScanPinKind>(p.kind));
      made->SetPinMapping(FindOrCreate<TPinMapping>(lists.PinMappings, number, [&] {
        TPinMapping* mapping = e.NewObject<TPinMapping>();
        mapping->SetPinName(String(p.name));
        mapping->SetPinNumber(number);
        mapping->SetScanPin(made);
        return mapping;
      }));
      made->BoundaryCells.reserve(2);
      for (std::int16_t n : p.cells)
        if (TBoundaryCell* cell = cellNumbered(n)) made->AddBoundaryCell(cell);
      return made;
    });
    pinByText[p.number] = pin;
    e.AddPin(pin);
  }
  auto pinNumbered = [&](builtin::StringId id) -> TScanPin* {
    if (id == 0) return nullptr;
    if (TScanPin* pin = pinByText[id]) return pin;
    return Find<TScanPin>(lists.ScanPins, String(id));
  };

  // 4. The TAP pins.
  e.TAP_TDI = pinNumbered(r.tdi);
  e.TAP_TDO = pinNumbered(r.tdo);
  e.TAP_TMS = pinNumbered(r.tms);
  e.TAP_TCK = pinNumbered(r.tck);
  e.TAP_TRST = pinNumbered(r.trst);

  // 5. The cells' references to their pin, control cell and target cell.
  for (std::size_t i = 0; i < r.cellCount; ++i) {
    const builtin::CellRecord& c = r.cells[i];
    const builtin::CellShape& s = shapes[c.shape];
    const int number = static_cast<int>(i);
    TBoundaryCell* cell = e.BoundaryCells[i];
    cell->SetPin(pinNumbered(c.pinNumber));
    if (s.control != builtin::kNoCell) cell->SetControlCell(cellNumbered(number + s.control));
    if (s.target != builtin::kNoCell) cell->SetTargetCell(cellNumbered(number + s.target));
  }

  // 6. Opcodes.
  for (std::size_t i = 0; i < r.opCodeCount; ++i) {
    const builtin::OpCodeRecord& o = r.opCodes[i];
    e.AddInstructionOpCode(FindOrCreate<TInstructionOpCode>(lists.OpCodes, String(o.name), [&] {
      TInstructionOpCode* op = e.NewObject<TInstructionOpCode>();
      op->SetInstructionName(String(o.name));
      op->SetOpCodePattern(String(o.pattern));
      return op;
    }));
  }

  // 7. Register associations with their opcode.
  for (std::size_t i = 0; i < r.registerCount; ++i) {
    const builtin::RegisterRecord& a = r.registers[i];
    e.AddRegisterAssociation(FindOrCreate<TRegisterAssociation>(lists.RegisterAssociations, String(a.name), [&] {
      TRegisterAssociation* ra = e.NewObject<TRegisterAssociation>();
      ra->SetRegisterName(String(a.name));
      ra->SetRegisterLength(a.length);
      const std::u16string_view opName = String(a.opcode);
      if (TInstructionOpCode* op = Find<TInstructionOpCode>(lists.OpCodes, opName))
        ra->AddOpCode(op);
      else
        ra->AddInstructionName(opName);
      return ra;
    }));
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
