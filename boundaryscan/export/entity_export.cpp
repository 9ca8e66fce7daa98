#include "boundaryscan/export/entity_export.h"

#include <map>
#include <stdexcept>

#include "boundaryscan/bscan_types.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"
#include "platform/widestring.h"

namespace s4::bsdl {
namespace {

namespace E = dispid::BSDLEntity;
namespace P = dispid::ScanPin;
namespace C = dispid::BoundaryCell;

CallResult Call(IDispatch* o, DISPID id, std::initializer_list<Variant> args = {}) {
  CallResult r = CallDispatch(o, id, args);
  if (!r.ok()) throw std::runtime_error("the entity failed DISPID " + std::to_string(id));
  return r;
}
std::string Text(IDispatch* o, DISPID id) {
  const CallResult r = Call(o, id);
  return r.value.vt() == VT_BSTR ? Utf16ToUtf8(BstrView(r.value.raw().bstrVal)) : std::string();
}
std::int32_t Int(IDispatch* o, DISPID id, std::initializer_list<Variant> args = {}) {
  const CallResult r = Call(o, id, args);
  return r.value.vt() == VT_I4 ? r.value.raw().lVal : 0;
}
// A borrowed object reference; the entity keeps its objects alive.
IDispatch* Obj(IDispatch* o, DISPID id, std::initializer_list<Variant> args = {}) {
  const CallResult r = Call(o, id, args);
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}

std::string FunctionName(std::int32_t f) {
  static const char* const names[] = {"",         "input",    "clock", "output2", "output3",
                                      "control",  "controlr", "internal", "bidir", "observe_only"};
  return f >= 0 && f < 10 ? names[f] : "";
}
std::string ResultName(std::int32_t r) {
  static const char* const names[] = {"", "Z", "WEAK0", "WEAK1", "PULL0", "PULL1", "KEEPER"};
  return r >= 0 && r < 7 ? names[r] : "";
}
char BitChar(std::int32_t b) { return b == eBit_0 ? '0' : b == eBit_1 ? '1' : 'X'; }

}  // namespace

Description DescribeEntity(IDispatch* entity) {
  if (!entity) throw std::runtime_error("no entity");
  Description d;
  d.entity = Text(entity, E::GetName);
  if (d.entity.empty()) throw std::runtime_error("the entity has no name");
  d.conformance = Text(entity, E::GetConformanceStatement);
  d.uses = {d.conformance == "STD_1149_1_2001"   ? "STD_1149_1_2001"
            : d.conformance == "STD_1149_1_1990" ? "STD_1149_1_1990"
                                                 : "STD_1149_1_1994"};
  d.compliancePatterns = Text(entity, E::GetCompliancePattern);
  d.designWarning = Text(entity, E::GetDesignWarning);

  // Ports from the scan pins, in pin order; pins that share a name form one vector.
  PinMap map;
  map.name = "DEVICE_PACKAGE";  // "PACKAGE" alone is a reserved word of VHDL
  d.defaultPinMap = map.name;
  std::map<std::string, std::size_t> portOfName;
  const std::int32_t pins = Int(entity, E::GetPinCount);
  for (std::int32_t i = 0; i < pins; ++i) {
    IDispatch* pin = Obj(entity, E::GetPin, {Variant(i)});
    const std::string name = Text(pin, P::GetPinName), number = Text(pin, P::GetPinNumber);
    const std::int32_t kind = Int(pin, P::GetKind), direction = Int(pin, P::GetDirection);
    if (auto it = portOfName.find(name); it != portOfName.end()) {
      Port& p = d.ports[it->second];
      p.isVector = true;
      p.first = 1;
      p.last += 1;
      PinMapEntry& e = map.entries[it->second];
      e.list = true;
      e.pins.push_back(number);
      continue;
    }
    Port p;
    p.name = name;
    p.last = 1;
    const bool scanned = Int(pin, P::GetBoundaryCellCount) > 0;
    if (kind == eScanPinKind_Power || kind == eScanPinKind_Ground) p.mode = PortMode::Linkage;
    else if (direction == eElectricInput) p.mode = PortMode::In;
    else if (direction == eElectricOutput) p.mode = PortMode::Out;
    else if (kind == eScanPinKind_Normal && !scanned) p.mode = PortMode::Linkage;
    else p.mode = PortMode::InOut;
    portOfName.emplace(name, d.ports.size());
    d.ports.push_back(p);
    map.entries.push_back({name, {number}, false, {}});
  }
  for (std::size_t i = 0; i < d.ports.size(); ++i)
    if (!d.ports[i].isVector) d.ports[i].last = 0;
  d.pinMaps.push_back(std::move(map));

  auto tap = [&](DISPID id, TapSignal& s) {
    if (IDispatch* pin = Obj(entity, id)) s.port = Text(pin, P::GetPinName);
  };
  tap(E::GetPin_TDI, d.tdi);
  tap(E::GetPin_TDO, d.tdo);
  tap(E::GetPin_TMS, d.tms);
  tap(E::GetPin_TCK, d.tck);
  tap(E::GetPin_TRST, d.trst);
  const CallResult speed = Call(entity, E::GetScanClockMaxSpeed);
  d.tckMaxFrequency = speed.value.vt() == VT_R8 ? speed.value.raw().dblVal : 0;
  d.tckHalt = Int(entity, E::GetScanClockHaltMode) == eScanClockHaltMode_Both ? "BOTH" : "LOW";

  // Instructions: entries of one name are the opcodes of one instruction.
  const std::int32_t ops = Int(entity, E::GetInstructionOpcodeCount);
  for (std::int32_t i = 0; i < ops; ++i) {
    IDispatch* op = Obj(entity, E::GetInstructionOpcode, {Variant(i)});
    const std::string name = Text(op, dispid::InstructionOpCode::GetInstructionName);
    const std::string pattern = Text(op, dispid::InstructionOpCode::GetOpCodePattern);
    Instruction* ins = nullptr;
    for (Instruction& x : d.instructions)
      if (x.name == name) ins = &x;
    if (!ins) {
      d.instructions.push_back({name, {}, {}});
      ins = &d.instructions.back();
    }
    ins->opcodes.push_back(pattern);
    if (name == "PRIVATE" && ins->opcodes.size() == 1) d.privateInstructions.push_back(name);
  }
  d.instructionLength = Int(entity, E::GetInstructionLength);
  if (d.instructionLength <= 0 && !d.instructions.empty() && !d.instructions.front().opcodes.empty())
    d.instructionLength = static_cast<int>(d.instructions.front().opcodes.front().size());
  if (d.instructionLength >= 2) d.instructionCapture = std::string(static_cast<std::size_t>(d.instructionLength) - 2, 'X') + "01";
  const std::uint32_t idcode = static_cast<std::uint32_t>(Int(entity, E::GetIdCode));
  if (idcode != 0)
    for (int b = 31; b >= 0; --b) d.idcode += (idcode >> b) & 1 ? '1' : '0';

  // Register associations: "NAME[n]" names carry their length.
  const std::int32_t regs = Int(entity, E::GetRegisterAssociationCount);
  for (std::int32_t i = 0; i < regs; ++i) {
    IDispatch* ra = Obj(entity, E::GetRegisterAssociation, {Variant(i)});
    RegisterAccess r;
    r.reg = Text(ra, dispid::RegisterAssociation::GetRegisterName);
    if (const std::size_t b = r.reg.find('['); b != std::string::npos && r.reg.back() == ']') {
      r.length = std::stoi(r.reg.substr(b + 1));
      r.reg.resize(b);
    }
    if (const std::int32_t len = Int(ra, dispid::RegisterAssociation::GetRegisterLength); len > 0) r.length = len;
    const std::int32_t n = Int(ra, dispid::RegisterAssociation::GetInstructionOpcodeCount);
    for (std::int32_t k = 0; k < n; ++k)
      if (IDispatch* op = Obj(ra, dispid::RegisterAssociation::GetInstructionOpcode, {Variant(k)}))
        r.instructions.push_back(Text(op, dispid::InstructionOpCode::GetInstructionName));
    d.registerAccess.push_back(std::move(r));
  }

  // Cells, with the cell kinds' names and the functions in BSDL spelling.
  d.boundaryLength = Int(entity, E::GetBoundaryLength);
  const std::int32_t cells = Int(entity, E::GetBoundaryCellCount);
  d.cells.reserve(static_cast<std::size_t>(cells));
  for (std::int32_t i = 0; i < cells; ++i) {
    IDispatch* cell = Obj(entity, E::GetBoundaryCell, {Variant(i)});
    Cell c;
    c.number = Int(cell, C::GetCellNumber);
    const std::int32_t kind = Int(cell, C::GetCellKind);
    c.cell = kind >= eCellKind_BC_0 && kind <= eCellKind_BC_10 ? "BC_" + std::to_string(kind - eCellKind_BC_0) : "BC_1";
    c.port = Text(cell, C::GetPortId);
    c.function = FunctionName(Int(cell, C::GetCellFunction));
    c.safe = BitChar(Int(cell, C::GetSafeBit));
    c.control = Int(cell, C::GetControlCellNumber);
    if (c.control >= 0) {
      c.disableValue = BitChar(Int(cell, C::GetDisableValue)) == '1' ? '1' : '0';
      c.disableResult = ResultName(Int(cell, C::GetDisableResult));
      if (c.disableResult.empty()) c.disableResult = "Z";
    }
    d.cells.push_back(std::move(c));
  }
  return d;
}

}  // namespace s4::bsdl
