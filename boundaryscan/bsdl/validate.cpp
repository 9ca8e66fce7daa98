#include "boundaryscan/bsdl/validate.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace s4::bsdl {
namespace {

std::string Lower(std::string_view s) {
  std::string l(s);
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l;
}

bool IsControl(const Cell& c) { return SameName(c.function, "control") || SameName(c.function, "controlr"); }

// A cell listed twice is a merged cell when one entry observes (input, clock, observe_only)
// and the other drives or controls; any other repeat is an error.
bool Observes(const Cell& c) {
  return SameName(c.function, "input") || SameName(c.function, "clock") || SameName(c.function, "observe_only");
}

// An open-collector or open-drain output has no driver enable of its own: one of the two data
// values turns the driver off. IEEE 1149.1 describes such a two-state output by letting its
// OUTPUT2 cell name itself as its control cell, with the disable value being the data value
// that turns the driver off and the disable result what the pin then shows (typically a pull
// or weak level). No other kind of cell may name itself.
bool ControlsItself(const Cell& c) { return c.control == c.number && SameName(c.function, "output2"); }

class Checker {
 public:
  explicit Checker(const Description& d) : d_(d), ports_(d.ports) {}

  std::vector<Finding> Run() {
    CheckInstructions();
    CheckIdCodes();
    CheckTapPorts();
    CheckCells();
    CheckPinMaps();
    return std::move(out_);
  }

 private:
  void Add(Line line, std::string message) { out_.push_back({line.value, std::move(message)}); }

  void CheckInstructions() {
    const int n = d_.instructionLength;
    if (n <= 0) {
      Add(d_.instructionLengthLine, "INSTRUCTION_LENGTH is missing or not positive");
    } else {
      for (const Instruction& i : d_.instructions)
        for (const std::string& op : i.opcodes)
          if (static_cast<int>(op.size()) != n)
            Add(i.line, "opcode " + op + " of " + i.name + " has " + std::to_string(op.size()) +
                            " bits but INSTRUCTION_LENGTH is " + std::to_string(n));
      if (!d_.instructionCapture.empty() && static_cast<int>(d_.instructionCapture.size()) != n)
        Add(d_.instructionLengthLine, "INSTRUCTION_CAPTURE has " + std::to_string(d_.instructionCapture.size()) +
                                          " bits but INSTRUCTION_LENGTH is " + std::to_string(n));
    }
    if (!d_.FindInstruction("BYPASS")) Add(d_.instructionsLine, "INSTRUCTION_OPCODE does not define BYPASS");
    std::set<std::string> seen;
    for (const Instruction& i : d_.instructions)
      if (!seen.insert(Lower(i.name)).second) Add(i.line, "instruction " + i.name + " is defined twice");
    for (const std::string& p : d_.privateInstructions)
      if (!d_.FindInstruction(p)) Add(d_.instructionsLine, "INSTRUCTION_PRIVATE names " + p + ", which INSTRUCTION_OPCODE does not define");
    for (const RegisterAccess& r : d_.registerAccess)
      for (const std::string& i : r.instructions)
        if (!d_.FindInstruction(i))
          Add(r.line, "REGISTER_ACCESS of " + r.reg + " names " + i + ", which INSTRUCTION_OPCODE does not define");
  }

  void CheckIdCodes() {
    if (!d_.idcode.empty()) {
      if (d_.idcode.size() != 32)
        Add(d_.idcodeLine, "IDCODE_REGISTER has " + std::to_string(d_.idcode.size()) + " bits instead of 32");
      if (d_.idcode.back() != '1') Add(d_.idcodeLine, "IDCODE_REGISTER must end in 1 (its least significant bit)");
    }
    if (!d_.usercode.empty() && d_.usercode.size() != 32)
      Add(d_.idcodeLine, "USERCODE_REGISTER has " + std::to_string(d_.usercode.size()) + " bits instead of 32");
  }

  void CheckTapPorts() {
    const std::pair<const TapSignal*, const char*> taps[] = {
        {&d_.tdi, "TAP_SCAN_IN"}, {&d_.tdo, "TAP_SCAN_OUT"}, {&d_.tms, "TAP_SCAN_MODE"}, {&d_.tck, "TAP_SCAN_CLOCK"},
        {&d_.trst, "TAP_SCAN_RESET"}};
    for (const auto& [tap, name] : taps) {
      if (tap->port.empty()) {
        if (tap != &d_.trst) Add(d_.entityLine, std::string(name) + " is missing");
      } else if (!ports_.Find(tap->port)) {
        Add(tap->line, std::string(name) + " names " + tap->port + ", which is not in the port list");
      }
    }
  }

  // A port of the boundary register: "NAME" or "NAME(i)" of a declared port.
  void CheckCellPort(const Cell& c) {
    if (c.port == "*") return;
    const std::size_t paren = c.port.find('(');
    const std::string_view base = std::string_view(c.port).substr(0, paren);
    const Port* p = ports_.Find(base);
    if (!p) {
      Add(c.line, "cell " + std::to_string(c.number) + " names the port " + c.port + ", which is not in the port list");
      return;
    }
    if (paren == std::string::npos) {
      if (p->isVector)
        Add(c.line, "cell " + std::to_string(c.number) + " names the vector " + std::string(base) + " without an index");
      return;
    }
    long long index = -1;
    std::from_chars(c.port.data() + paren + 1, c.port.data() + c.port.size(), index);
    const int lo = std::min(p->first, p->last), hi = std::max(p->first, p->last);
    if (!p->isVector || index < lo || index > hi)
      Add(c.line, "cell " + std::to_string(c.number) + " names " + c.port + ", outside the range of the port " +
                      std::string(base));
  }

  void CheckCells() {
    const int n = d_.boundaryLength;
    if (n < 0) Add(d_.boundaryLengthLine, "BOUNDARY_LENGTH is missing");
    const std::vector<Cell>& cells = d_.cells;
    // The entries of each cell number, in the order of the file: entry indexes sorted by
    // (number, index), so that the entries of one number stand together.
    std::vector<std::uint32_t> order(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return cells[a].number != cells[b].number ? cells[a].number < cells[b].number : a < b;
    });
    std::vector<std::uint32_t> firstOf(cells.size());  // the first entry of the entry's number
    std::vector<std::uint32_t> rank(cells.size());     // 0 for the first entry, 1 for the next ...
    std::size_t distinct = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
      const bool fresh = k == 0 || cells[order[k]].number != cells[order[k - 1]].number;
      if (fresh) ++distinct;
      firstOf[order[k]] = fresh ? order[k] : firstOf[order[k - 1]];
      rank[order[k]] = fresh ? 0 : rank[order[k - 1]] + 1;
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const Cell& c = cells[i];
      if (rank[i] > 0) {
        const Cell& first = cells[firstOf[i]];
        const bool merged = rank[i] == 1 && first.cell == c.cell && Observes(first) != Observes(c);
        if (!merged)
          Add(c.line, "cell " + std::to_string(c.number) + " is listed again (first on line " +
                          std::to_string(first.line.value) + ")");
      }
      if (n >= 0 && c.number >= n)
        Add(c.line, "cell " + std::to_string(c.number) + " is beyond BOUNDARY_LENGTH " + std::to_string(n));
      CheckCellPort(c);
    }
    if (n >= 0) {
      if (distinct != static_cast<std::size_t>(n))
        Add(d_.cellsLine, "BOUNDARY_REGISTER has " + std::to_string(distinct) + " cells but BOUNDARY_LENGTH is " +
                              std::to_string(n));
      // The first number below the length that has no entry (numbers are never negative).
      int expected = 0;
      for (std::size_t k = 0; k < order.size() && expected < n; ++k) {
        const int number = cells[order[k]].number;
        if (number == expected) ++expected;
        else if (number > expected) break;
      }
      if (expected < n) Add(d_.cellsLine, "cell " + std::to_string(expected) + " is missing from BOUNDARY_REGISTER");
    }
    for (const Cell& c : cells) {
      if (c.control < 0 || ControlsItself(c)) continue;
      auto at = std::lower_bound(order.begin(), order.end(), c.control,
                                 [&](std::uint32_t e, int number) { return cells[e].number < number; });
      if (at == order.end() || cells[*at].number != c.control) {
        Add(c.line, "cell " + std::to_string(c.number) + " names the control cell " + std::to_string(c.control) +
                        ", which does not exist");
        continue;
      }
      bool isControl = false;
      for (; at != order.end() && cells[*at].number == c.control; ++at) isControl = isControl || IsControl(cells[*at]);
      if (!isControl)
        Add(c.line, "cell " + std::to_string(c.number) + " names the control cell " + std::to_string(c.control) +
                        ", which is not a control cell");
    }
  }

  void CheckPinMaps() {
    for (const PinMap& m : d_.pinMaps)
      for (const PinMapEntry& e : m.entries) {
        const Port* p = ports_.Find(e.port);
        if (!p) {
          Add(e.line, "pin map " + m.name + " names the port " + e.port + ", which is not in the port list");
        } else if (static_cast<std::int64_t>(e.pins.size()) != p->Width()) {
          Add(e.line, "pin map " + m.name + " gives " + std::to_string(e.pins.size()) + " pin(s) for " + e.port +
                          ", which has " + std::to_string(p->Width()));
        }
      }
    if (!d_.defaultPinMap.empty() && !SameName(d_.defaultPinMap, "UNDEFINED") && !d_.FindPinMap(d_.defaultPinMap))
      Add(d_.entityLine, "PHYSICAL_PIN_MAP names " + d_.defaultPinMap + ", which no PIN_MAP_STRING constant defines");
  }

  const Description& d_;
  const PortIndex ports_;
  std::vector<Finding> out_;
};

}  // namespace

std::vector<Finding> Validate(const Description& d) { return Checker(d).Run(); }

std::string Format(std::string_view file, const Finding& f) {
  return std::string(file) + ":" + std::to_string(f.line) + ": " + f.message;
}

}  // namespace s4::bsdl
