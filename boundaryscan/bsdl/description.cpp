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

std::size_t PortIndex::Hash::operator()(std::string_view s) const {
  std::size_t h = 14695981039346656037ull;
  for (char c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  return h;
}

PortIndex::PortIndex(const std::vector<Port>& ports) {
  ports_.reserve(ports.size());
  for (const Port& p : ports) ports_.emplace(p.name, &p);  // the first of a name stays
}

const Port* PortIndex::Find(std::string_view name) const {
  const auto it = ports_.find(name);
  return it == ports_.end() ? nullptr : it->second;
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
