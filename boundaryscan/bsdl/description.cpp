#include "boundaryscan/bsdl/description.h"

namespace s4::bsdl {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

const Port* Description::FindPort(std::string_view name) const {
  for (const Port& p : ports)
    if (SameName(p.name, name)) return &p;
  return nullptr;
}

const Instruction* Description::FindInstruction(std::string_view name) const {
  for (const Instruction& i : instructions)
    if (SameName(i.name, name)) return &i;
  return nullptr;
}

const PinMap* Description::FindPinMap(std::string_view name) const {
  for (const PinMap& m : pinMaps)
    if (SameName(m.name, name)) return &m;
  return nullptr;
}

const PinMap* Description::DefaultPinMap() const {
  if (const PinMap* m = FindPinMap(defaultPinMap)) return m;
  return pinMaps.size() == 1 ? &pinMaps.front() : nullptr;
}

}  // namespace s4::bsdl
