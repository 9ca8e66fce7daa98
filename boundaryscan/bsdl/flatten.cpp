#include "boundaryscan/bsdl/flatten.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <stdexcept>

namespace s4::bsdl {
namespace {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

TCellKind KindOf(std::string_view cell) {
  const std::string u = Upper(cell);
  if (u.rfind("BC_", 0) == 0) {
    const std::string n = u.substr(3);
    if (!n.empty() && n.size() <= 2 && std::all_of(n.begin(), n.end(), ::isdigit)) {
      const int v = std::stoi(n);
      if (v <= 10) return static_cast<TCellKind>(eCellKind_BC_0 + v);
    }
  }
  return eCellKind_Undefined;  // AC_ cells of 1149.6 and vendor cells
}

TCellFunction FunctionOf(std::string_view f) {
  static const std::map<std::string, TCellFunction> names = {
      {"INPUT", eCellFunction_Input},       {"CLOCK", eCellFunction_Clock},       {"OUTPUT2", eCellFunction_Output2},
      {"OUTPUT3", eCellFunction_Output3},   {"CONTROL", eCellFunction_Control},   {"CONTROLR", eCellFunction_ControlR},
      {"INTERNAL", eCellFunction_Internal}, {"BIDIR", eCellFunction_BiDir},       {"OBSERVE_ONLY", eCellFunction_ObserveOnly}};
  auto it = names.find(Upper(f));
  return it == names.end() ? eCellFunction_Undefined : it->second;
}

TDisableResult ResultOf(std::string_view r) {
  static const std::map<std::string, TDisableResult> names = {
      {"Z", eDisableResult_HiZ},         {"WEAK0", eDisableResult_Weak0}, {"WEAK1", eDisableResult_Weak1},
      {"PULL0", eDisableResult_Pull0},   {"PULL1", eDisableResult_Pull1}, {"KEEPER", eDisableResult_Keeper}};
  auto it = names.find(Upper(r));
  return it == names.end() ? eDisableResult_Undefined : it->second;
}

// The key of bit i of a port's pin list: "NAME" or "NAME(index)", upper case. The index is
// taken in 64 bits: a list longer than its range (a validation finding) must not overflow.
std::string BitKey(const Port& p, std::size_t i) {
  if (!p.isVector) return Upper(p.name);
  const std::int64_t step = static_cast<std::int64_t>(i);
  const std::int64_t index = p.downto ? p.first - step : p.first + step;
  return Upper(p.name + "(" + std::to_string(index) + ")");
}

TBitValue BitOf(char c) { return c == '0' ? eBit_0 : c == '1' ? eBit_1 : eBit_X; }

}  // namespace

std::uint32_t OpcodeValue(std::string_view pattern) {
  std::uint32_t v = 0;
  for (char c : pattern) v = (v << 1) | (c == '1' ? 1u : 0u);
  return v;
}

FlatEntity Flatten(const Description& d, std::string_view package) {
  const PinMap* map = package.empty() ? d.DefaultPinMap() : d.FindPinMap(package);
  if (!map && package.empty() && !d.pinMaps.empty()) map = &d.pinMaps.front();
  if (!map)
    throw std::runtime_error(d.entity + ": " +
                             (package.empty() ? std::string("no pin map to take the package pins from")
                                              : "no pin map named " + std::string(package)));
  FlatEntity f;
  f.name = d.entity;
  f.boundaryLength = d.boundaryLength;
  f.scanClockMaxSpeed = d.tckMaxFrequency;
  const std::string halt = Upper(d.tckHalt);
  f.haltMode = halt == "BOTH" ? eScanClockHaltMode_Both : halt == "LOW" ? eScanClockHaltMode_Low : eScanClockHaltMode_None;
  f.conformance = d.conformance;
  f.compliancePattern = d.compliancePatterns;
  f.designWarning = d.designWarning;
  if (const Instruction* s = d.FindInstruction("SAMPLE"); s && !s->opcodes.empty())
    f.instructionSample = OpcodeValue(s->opcodes.front());

  // Package pin of every port bit ("NAME" or "NAME(i)").
  const PortIndex ports(d.ports);
  std::map<std::string, std::string> pinOf;
  for (const PinMapEntry& e : map->entries) {
    const Port* p = ports.Find(e.port);
    if (!p) continue;
    for (std::size_t i = 0; i < e.pins.size(); ++i) pinOf[BitKey(*p, i)] = e.pins[i];
  }
  auto tapPin = [&](const TapSignal& t) {
    auto it = pinOf.find(Upper(t.port));
    return it == pinOf.end() ? std::string() : it->second;
  };
  f.tdi = tapPin(d.tdi);
  f.tdo = tapPin(d.tdo);
  f.tms = tapPin(d.tms);
  f.tck = tapPin(d.tck);
  f.trst = tapPin(d.trst);

  // Cells, merged entries once (the first entry describes the cell).
  std::map<int, FlatCell> cells;
  for (const Cell& c : d.cells) {
    if (cells.count(c.number)) continue;
    FlatCell x;
    x.number = c.number;
    x.kind = KindOf(c.cell);
    x.port = c.port;
    x.function = FunctionOf(c.function);
    x.safe = BitOf(c.safe);
    x.control = c.control;
    if (c.control >= 0) {
      x.disableValue = BitOf(c.disableValue);
      x.disableResult = ResultOf(c.disableResult);
    }
    if (c.port != "*")
      if (auto it = pinOf.find(Upper(c.port)); it != pinOf.end()) x.pinNumber = it->second;
    cells.emplace(c.number, std::move(x));
  }
  for (auto& [n, c] : cells)
    if (c.control >= 0)
      if (auto it = cells.find(c.control); it != cells.end() && it->second.target < 0) it->second.target = n;

  // Scan pins in package-pin order.
  std::map<std::string, std::vector<int>> cellsOfPort;
  for (const auto& [n, c] : cells)
    if (c.port != "*") cellsOfPort[Upper(c.port)].push_back(n);
  for (const PinMapEntry& e : map->entries) {
    const Port* p = ports.Find(e.port);
    if (!p) continue;
    for (std::size_t i = 0; i < e.pins.size(); ++i) {
      FlatPin pin;
      pin.name = p->name;
      pin.number = e.pins[i];
      if (auto it = cellsOfPort.find(BitKey(*p, i)); it != cellsOfPort.end()) pin.cells = it->second;
      const std::string u = Upper(p->name);
      if (SameName(p->name, d.tck.port)) pin.kind = eScanPinKind_TCK;
      else if (SameName(p->name, d.tdi.port)) pin.kind = eScanPinKind_TDI;
      else if (SameName(p->name, d.tdo.port)) pin.kind = eScanPinKind_TDO;
      else if (SameName(p->name, d.tms.port)) pin.kind = eScanPinKind_TMS;
      else if (!d.trst.port.empty() && SameName(p->name, d.trst.port)) pin.kind = eScanPinKind_TRST;
      else if (p->mode == PortMode::Linkage && u.rfind("VCC", 0) == 0) pin.kind = eScanPinKind_Power;
      else if (p->mode == PortMode::Linkage && (u.rfind("GND", 0) == 0 || u.rfind("VSS", 0) == 0)) pin.kind = eScanPinKind_Ground;
      switch (p->mode) {
        case PortMode::In: pin.direction = eElectricInput; break;
        case PortMode::Out: case PortMode::Buffer: pin.direction = eElectricOutput; break;
        case PortMode::InOut: case PortMode::Linkage: pin.direction = eElectricIO; break;
      }
      f.pins.push_back(std::move(pin));
    }
  }
  std::stable_sort(f.pins.begin(), f.pins.end(), [](const FlatPin& a, const FlatPin& b) { return a.number < b.number; });
  for (auto& [n, c] : cells) f.cells.push_back(std::move(c));

  for (const Instruction& i : d.instructions)
    for (const std::string& op : i.opcodes) f.opcodes.push_back({i.name, op});
  for (const RegisterAccess& r : d.registerAccess) {
    FlatRegister x;
    x.name = r.length >= 0 ? r.reg + "[" + std::to_string(r.length) + "]" : r.reg;
    x.instructions = r.instructions;
    f.registers.push_back(std::move(x));
  }
  return f;
}

}  // namespace s4::bsdl
