#include "boundaryscan/bsdl/writer.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace s4::bsdl {
namespace {

std::string Quote(std::string_view s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  q += '"';
  return q;
}

const char* ModeName(PortMode m) {
  switch (m) {
    case PortMode::In: return "in";
    case PortMode::Out: return "out";
    case PortMode::InOut: return "inout";
    case PortMode::Buffer: return "buffer";
    case PortMode::Linkage: return "linkage";
  }
  return "linkage";
}

// A real literal that reads back to the same double and has the decimal point VHDL needs.
std::string Real(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  std::string s = buf;
  for (int digits = 1; digits < 17; ++digits) {  // the shortest form that reads back exactly
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    if (std::strtod(buf, nullptr) == v) {
      s = buf;
      break;
    }
  }
  const std::size_t e = s.find_first_of("eE");
  std::string mantissa = s.substr(0, e), exponent = e == std::string::npos ? "" : s.substr(e);
  if (mantissa.find('.') == std::string::npos) mantissa += ".0";
  return mantissa + exponent;
}

class Out {
 public:
  explicit Out(std::string entity) : entity_(std::move(entity)) {}
  void Line(std::string_view s = {}) {
    text_ += s;
    text_ += '\n';
  }
  // "attribute NAME of TARGET : CLASS is" followed by items, one string per line joined by "&".
  void Items(const std::string& head, const std::vector<std::string>& items, const char* separator = ", ") {
    if (items.empty()) {
      Line(head + " \"\";");
      return;
    }
    if (items.size() == 1 && items[0].size() < 60) {
      Line(head + " " + Quote(items[0]) + ";");
      return;
    }
    Line(head);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const bool last = i + 1 == items.size();
      Line("    " + Quote(items[i] + (last ? "" : separator)) + (last ? ";" : " &"));
    }
  }
  std::string EntityAttribute(const char* name) const { return "  attribute " + std::string(name) + " of " + entity_ + " : entity is"; }
  std::string text_;

 private:
  std::string entity_;
};

// Splits a long free text into literals of at most `width` characters.
std::vector<std::string> Chunks(std::string_view s, std::size_t width) {
  std::vector<std::string> out;
  while (s.size() > width) {
    out.emplace_back(s.substr(0, width));
    s.remove_prefix(width);
  }
  out.emplace_back(s);
  return out;
}

}  // namespace

std::string Write(const Description& d, std::string_view header) {
  // What the reader refuses is never written: a file that cannot be read back is no description.
  const double hz = d.tckMaxFrequency;
  if (!d.tck.port.empty() && (!std::isfinite(hz) || std::signbit(hz) || (hz != 0 && hz < DBL_MIN)))
    throw std::invalid_argument(d.entity + ": the TCK frequency " + std::to_string(hz) +
                                " cannot be written as a BSDL number (finite, not negative, not subnormal)");
  for (const Port& p : d.ports)
    if (p.isVector && (p.first < 0 || p.last < 0 || p.Width() > kMaxPortWidth))
      throw std::invalid_argument(d.entity + ": the port " + p.name + " has a range the reader refuses (" +
                                  std::to_string(p.first) + " to " + std::to_string(p.last) + ")");
  Out o(d.entity);
  if (!header.empty()) {
    std::size_t b = 0;
    while (b <= header.size()) {
      std::size_t e = header.find('\n', b);
      if (e == std::string_view::npos) e = header.size();
      const std::string_view line = header.substr(b, e - b);
      o.Line(line.empty() ? "--" : "-- " + std::string(line));
      b = e + 1;
    }
    o.Line();
  }
  o.Line("entity " + d.entity + " is");
  o.Line();
  if (!d.defaultPinMap.empty()) {
    o.Line("  generic (PHYSICAL_PIN_MAP : string := " + Quote(d.defaultPinMap) + ");");
    o.Line();
  }
  if (!d.ports.empty()) {
    o.Line("  port (");
    for (std::size_t i = 0; i < d.ports.size(); ++i) {
      const Port& p = d.ports[i];
      std::string type = "bit";
      if (p.isVector)
        type = "bit_vector (" + std::to_string(p.first) + (p.downto ? " downto " : " to ") + std::to_string(p.last) + ")";
      o.Line("    " + p.name + " : " + ModeName(p.mode) + " " + type + (i + 1 < d.ports.size() ? ";" : ""));
    }
    o.Line("  );");
    o.Line();
  }
  for (const std::string& u : d.uses) o.Line("  use " + u + ".all;");
  o.Line();
  if (!d.conformance.empty()) o.Line(o.EntityAttribute("COMPONENT_CONFORMANCE") + " " + Quote(d.conformance) + ";");
  if (!d.pinMaps.empty()) o.Line(o.EntityAttribute("PIN_MAP") + " PHYSICAL_PIN_MAP;");
  o.Line();
  for (const PinMap& m : d.pinMaps) {
    std::vector<std::string> items;
    for (const PinMapEntry& e : m.entries) {
      std::string item = e.port + " : ";
      if (e.list) {
        item += "(";
        for (std::size_t i = 0; i < e.pins.size(); ++i) item += (i ? ", " : "") + e.pins[i];
        item += ")";
      } else {
        item += e.pins.empty() ? "" : e.pins[0];
      }
      items.push_back(std::move(item));
    }
    o.Items("  constant " + m.name + " : PIN_MAP_STRING :=", items);
    o.Line();
  }
  const std::pair<const TapSignal*, const char*> taps[] = {
      {&d.tdi, "TAP_SCAN_IN"}, {&d.tms, "TAP_SCAN_MODE"}, {&d.tdo, "TAP_SCAN_OUT"}, {&d.trst, "TAP_SCAN_RESET"}};
  for (const auto& [tap, name] : taps)
    if (!tap->port.empty()) o.Line("  attribute " + std::string(name) + " of " + tap->port + " : signal is true;");
  if (!d.tck.port.empty())
    o.Line("  attribute TAP_SCAN_CLOCK of " + d.tck.port + " : signal is (" + Real(d.tckMaxFrequency) + ", " +
           (d.tckHalt.empty() ? "BOTH" : d.tckHalt) + ");");
  o.Line();
  if (!d.compliancePatterns.empty()) {
    o.Line(o.EntityAttribute("COMPLIANCE_PATTERNS") + " " + Quote(d.compliancePatterns) + ";");
    o.Line();
  }
  if (d.instructionLength >= 0) o.Line(o.EntityAttribute("INSTRUCTION_LENGTH") + " " + std::to_string(d.instructionLength) + ";");
  if (!d.instructions.empty()) {
    std::vector<std::string> items;
    for (const Instruction& i : d.instructions) {
      std::string item = i.name + " (";
      for (std::size_t k = 0; k < i.opcodes.size(); ++k) item += (k ? ", " : "") + i.opcodes[k];
      items.push_back(item + ")");
    }
    o.Items(o.EntityAttribute("INSTRUCTION_OPCODE"), items);
  }
  if (!d.instructionCapture.empty()) o.Line(o.EntityAttribute("INSTRUCTION_CAPTURE") + " " + Quote(d.instructionCapture) + ";");
  if (!d.privateInstructions.empty()) o.Items(o.EntityAttribute("INSTRUCTION_PRIVATE"), d.privateInstructions);
  o.Line();
  if (!d.idcode.empty()) o.Line(o.EntityAttribute("IDCODE_REGISTER") + " " + Quote(d.idcode) + ";");
  if (!d.usercode.empty()) o.Line(o.EntityAttribute("USERCODE_REGISTER") + " " + Quote(d.usercode) + ";");
  if (!d.registerAccess.empty()) {
    std::vector<std::string> items;
    for (const RegisterAccess& r : d.registerAccess) {
      std::string item = r.reg;
      if (r.length >= 0) item += "[" + std::to_string(r.length) + "]";
      item += " (";
      for (std::size_t k = 0; k < r.instructions.size(); ++k) item += (k ? ", " : "") + r.instructions[k];
      items.push_back(item + ")");
    }
    o.Items(o.EntityAttribute("REGISTER_ACCESS"), items);
  }
  o.Line();
  if (d.boundaryLength >= 0) o.Line(o.EntityAttribute("BOUNDARY_LENGTH") + " " + std::to_string(d.boundaryLength) + ";");
  if (!d.cells.empty()) {
    std::vector<std::string> items;
    items.reserve(d.cells.size());
    for (const Cell& c : d.cells) {
      std::string item = std::to_string(c.number) + " (" + c.cell + ", " + c.port + ", " + c.function + ", " + c.safe;
      if (c.control >= 0) item += ", " + std::to_string(c.control) + ", " + c.disableValue + ", " + c.disableResult;
      items.push_back(item + ")");
    }
    o.Items(o.EntityAttribute("BOUNDARY_REGISTER"), items);
  }
  if (!d.designWarning.empty()) {
    o.Line();
    o.Items(o.EntityAttribute("DESIGN_WARNING"), Chunks(d.designWarning, 64), "");
  }
  o.Line();
  o.Line("end " + d.entity + ";");
  return std::move(o.text_);
}

}  // namespace s4::bsdl
