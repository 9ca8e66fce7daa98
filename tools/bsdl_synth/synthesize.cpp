#include "tools/bsdl_synth/synthesize.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <stdexcept>

#include "boundaryscan/bsdl/writer.h"
#include "tools/pindata/ball_grid.h"

namespace s4::bsdl_synth {
namespace {

using bsdl::Cell;
using bsdl::Description;
using bsdl::Port;
using bsdl::PortMode;

int GridSize(int pins) {
  switch (pins) {
    case 780: return 28;
    case 1152: return 34;
    case 1517: return 39;
    case 1760: return 42;
    case 1932: return 44;
    default: throw std::runtime_error("no ball grid has " + std::to_string(pins) + " balls");
  }
}

// Cell triples before the configuration block (so that it starts at cell 384).
constexpr std::size_t kTriplesBeforeConfig = 128;

struct ConfigPin {
  const char* name;
  bool output;
};
constexpr ConfigPin kConfigPins[] = {
    {"MSEL2", false}, {"MSEL1", false}, {"MSEL0", false},  {"MSEL3", false},      {"nCONFIG", false}, {"nCE", false},
    {"PORSEL", false}, {"nIO_PULLUP", false}, {"nCSO", true}, {"ASDO", true}, {"nCEO", true},
};

// Balls whose place is published for a record: they keep it whatever the geometry says.
struct Pinned {
  const char* record;
  const char* ball;
  std::size_t triple;  // I/O triple index (cells 3t..3t+2)
};
constexpr Pinned kPinnedTriples[] = {{"EP4SGX70DF29", "A25", 0}, {"EP4SGX70DF29", "A2", 113}};
struct PinnedConfig {
  const char* record;
  const char* pin;
  const char* ball;
};
constexpr PinnedConfig kPinnedConfig[] = {{"EP4SGX70DF29", "MSEL2", "J7"}};

// The port of a ball that the pin set flags but not as I/O (voltage references, transceiver
// and dedicated clock pins): unscanned, named and directed as the pin data says, so that the
// description never shows such a ball as an "IO" pin with the I/O direction.
std::pair<std::string, PortMode> UnscannedPort(const pindata::Pin& p) {
  using namespace pindata;
  const std::string& ball = p.PinNumber;
  const char* polarity = (p.Options & (kHDiffN | kDiffN)) ? "N_" : "P_";
  if (p.Options & kVREF) return {"VREF_" + ball, PortMode::In};
  if (p.Options & (kHDiffP | kHDiffN)) {
    if (p.Options & kTxDiff) return {std::string("GXB_TX") + polarity + ball, PortMode::Out};
    if (p.Options & kRxDiff) return {std::string("GXB_RX") + polarity + ball, PortMode::In};
    return {std::string("REFCLK") + polarity + ball, PortMode::In};
  }
  if (p.Options & (kDiffP | kDiffN)) return {std::string("REFCLK") + polarity + ball, PortMode::In};
  if (p.Options & (kCLK | kInputOnly)) return {"CLKIN_" + ball, PortMode::In};
  return {"NC_" + ball, PortMode::Linkage};
}

}  // namespace

Synthesized Synthesize(const RecordFacts& r, const pindata::PinFile& set) {
  Synthesized out;
  const int n = GridSize(r.pins);
  if (static_cast<int>(set.Pins.size()) != r.pins)
    throw std::runtime_error(std::string(r.name) + ": the pin set has " + std::to_string(set.Pins.size()) +
                             " pins, the record " + std::to_string(r.pins));
  std::map<std::string, const pindata::Pin*> byBall;
  for (const pindata::Pin& p : set.Pins) byBall[p.PinNumber] = &p;

  const std::pair<std::string_view, const char*> taps[] = {
      {r.tck, "TCK"}, {r.tdi, "TDI"}, {r.tdo, "TDO"}, {r.tms, "TMS"}, {r.trst, "TRST"}};
  std::set<std::string> used;
  for (const auto& [ball, name] : taps) {
    auto it = byBall.find(std::string(ball));
    if (it == byBall.end()) throw std::runtime_error(std::string(r.name) + ": TAP ball " + std::string(ball) + " is not in the pin set");
    // A description that put the TAP on a ball the pin set offers as user I/O would
    // contradict the pin data the module answers with.
    if (it->second->Options != 0)
      throw std::runtime_error(std::string(r.name) + ": TAP ball " + std::string(ball) + " (" + name +
                               ") is '" + pindata::FlagsToText(it->second->Options) +
                               "' in the pin set; a TAP ball is a dedicated pin");
    used.insert(std::string(ball));
  }

  // I/O balls around the package by angle, starting at the corner of A25 and turning
  // towards A2 (outer balls first at the same angle).
  std::vector<std::string> io;
  for (const pindata::Pin& p : set.Pins)
    if ((p.Options & pindata::kIO) && !used.count(p.PinNumber)) io.push_back(p.PinNumber);
  const double c = (n - 1) / 2.0;
  auto angle = [&](const std::string& ball) {
    const auto pos = pindata::ParseBall(ball, n);
    return std::atan2(pos->row - c, pos->column - c);
  };
  auto radius = [&](const std::string& ball) {
    const auto pos = pindata::ParseBall(ball, n);
    return std::hypot(pos->row - c, pos->column - c);
  };
  const double start = std::atan2(0 - c, 24 - c);  // the A25 position
  auto key = [&](const std::string& ball) {
    double k = std::fmod(start - angle(ball) + 4 * std::numbers::pi, 2 * std::numbers::pi);
    if (k > 2 * std::numbers::pi - 1e-9) k = 0;
    return k;
  };
  std::stable_sort(io.begin(), io.end(), [&](const std::string& a, const std::string& b) {
    const double ka = key(a), kb = key(b);
    if (std::abs(ka - kb) > 1e-12) return ka < kb;
    const double ra = radius(a), rb = radius(b);
    if (std::abs(ra - rb) > 1e-12) return ra > rb;
    return a < b;
  });
  for (const Pinned& p : kPinnedTriples) {
    if (r.name != p.record) continue;
    auto it = std::find(io.begin(), io.end(), p.ball);
    if (it == io.end() || p.triple >= io.size())
      throw std::runtime_error(std::string(r.name) + ": published I/O ball " + p.ball + " is not an I/O pin of the pin set");
    std::iter_swap(it, io.begin() + static_cast<std::ptrdiff_t>(p.triple));
  }

  // Configuration balls: unflagged balls in grid order, after the published ones.
  std::vector<std::string> unflagged;
  for (const std::string& ball : pindata::AllBalls(n)) {
    auto it = byBall.find(ball);
    if (it != byBall.end() && it->second->Options == 0 && !used.count(ball)) unflagged.push_back(ball);
  }
  std::map<std::string, std::string> configBall;
  for (const PinnedConfig& p : kPinnedConfig) {
    if (r.name != p.record) continue;
    auto it = byBall.find(p.ball);
    if (it == byBall.end() || it->second->Options != 0 || used.count(p.ball))
      throw std::runtime_error(std::string(r.name) + ": published configuration ball " + p.ball + " is not free");
    configBall[p.pin] = p.ball;
    used.insert(p.ball);
  }
  std::size_t next = 0;
  for (const ConfigPin& cp : kConfigPins) {
    if (configBall.count(cp.name)) continue;
    while (next < unflagged.size() && used.count(unflagged[next])) ++next;
    if (next >= unflagged.size()) throw std::runtime_error(std::string(r.name) + ": too few unflagged balls for the configuration pins");
    configBall[cp.name] = unflagged[next];
    used.insert(unflagged[next]);
  }

  // When the register is too short for every I/O ball, the last ones in chain order stay
  // unscanned (I/O pins without cells), as the register length is fixed for the device.
  const std::size_t configCells =
      std::size(kConfigPins) * 2 +
      static_cast<std::size_t>(std::count_if(std::begin(kConfigPins), std::end(kConfigPins),
                                             [](const ConfigPin& p) { return p.output; }));
  if (configCells > static_cast<std::size_t>(r.cells))
    throw std::runtime_error(std::string(r.name) + ": the register is too short for the configuration cells");
  const std::size_t scanned = std::min(io.size(), (static_cast<std::size_t>(r.cells) - configCells) / 3);
  if (scanned < io.size())
    out.notes.push_back(std::string(r.name) + ": " + std::to_string(io.size() - scanned) + " of " +
                        std::to_string(io.size()) + " I/O pins stay unscanned: " + std::to_string(r.cells) +
                        " cells hold " + std::to_string(scanned) + " triples");
  std::vector<std::string> unscannedIo(io.begin() + static_cast<std::ptrdiff_t>(scanned), io.end());
  io.resize(scanned);

  Description& d = out.description;
  d.entity = std::string(r.name);
  d.defaultPinMap = "PACKAGE_" + std::to_string(r.pins);
  d.uses = {"STD_1149_1_1994"};
  d.conformance = "STD_1149_1_1993";
  bsdl::PinMap map;
  map.name = d.defaultPinMap;
  auto addPort = [&](const std::string& name, PortMode mode, std::vector<std::string> balls, bool vector = false) {
    Port p;
    p.name = name;
    p.mode = mode;
    if (vector) {
      p.isVector = true;
      p.first = 1;
      p.last = static_cast<int>(balls.size());
    }
    d.ports.push_back(p);
    map.entries.push_back({name, std::move(balls), vector, {}});
  };
  for (const auto& [ball, name] : taps) addPort(name, std::string_view(name) == "TDO" ? PortMode::Out : PortMode::In, {std::string(ball)});
  for (const ConfigPin& cp : kConfigPins) addPort(cp.name, cp.output ? PortMode::Out : PortMode::In, {configBall[cp.name]});
  for (const std::string& ball : io) addPort("IO" + ball, PortMode::InOut, {ball});
  for (const std::string& ball : unscannedIo) {
    addPort("IO" + ball, PortMode::Linkage, {ball});
    used.insert(ball);
  }
  std::vector<std::string> vcc, gnd;
  bool ground = true;
  for (const pindata::Pin& p : set.Pins) {
    if (used.count(p.PinNumber) || (p.Options & pindata::kIO)) continue;
    if (p.Options != 0) {
      const auto [name, mode] = UnscannedPort(p);
      addPort(name, mode, {p.PinNumber});
    } else {
      (ground ? gnd : vcc).push_back(p.PinNumber);
      ground = !ground;
    }
  }
  if (!vcc.empty()) addPort("VCC", PortMode::Linkage, vcc, true);
  if (!gnd.empty()) addPort("GND", PortMode::Linkage, gnd, true);
  d.pinMaps.push_back(std::move(map));

  d.tdi.port = "TDI";
  d.tdo.port = "TDO";
  d.tms.port = "TMS";
  d.tck.port = "TCK";
  d.trst.port = "TRST";
  d.tckMaxFrequency = 10e6;
  d.tckHalt = "BOTH";
  d.instructionLength = 10;
  d.instructions = {{"BYPASS", {"1111111111"}, {}},  {"EXTEST", {"0000001111"}, {}}, {"SAMPLE", {"0000000101"}, {}},
                    {"IDCODE", {"0000000110"}, {}},  {"USERCODE", {"0000000111"}, {}}, {"CLAMP", {"0000001010"}, {}},
                    {"HIGHZ", {"0000001011"}, {}},   {"PRIVATE", {"1100010000"}, {}}, {"CONFIG_IO", {"0000001101"}, {}}};
  d.instructionCapture = "0101010101";
  d.privateInstructions = {"PRIVATE"};
  d.registerAccess = {{"DEVICE_ID", -1, {"IDCODE"}, {}}, {"IOCSR", r.iocsr, {"CONFIG_IO"}, {}}};
  d.boundaryLength = r.cells;

  auto cell = [&](const char* type, const std::string& port, const char* function, char safe) -> Cell& {
    Cell x;
    x.number = static_cast<int>(d.cells.size());
    x.cell = type;
    x.port = port;
    x.function = function;
    x.safe = safe;
    d.cells.push_back(x);
    return d.cells.back();
  };
  auto triple = [&](const std::string& ball) {
    cell("BC_1", "IO" + ball, "input", 'X');
    const int control = cell("BC_1", "*", "control", '1').number;
    Cell& o = cell("BC_1", "IO" + ball, "output3", 'X');
    o.control = control;
    o.disableValue = '1';
    o.disableResult = "Z";
  };
  for (std::size_t i = 0; i < io.size() && i < kTriplesBeforeConfig; ++i) triple(io[i]);
  for (const ConfigPin& cp : kConfigPins) {
    if (cp.output) {
      const int control = cell("BC_1", "*", "control", '1').number;
      Cell& o = cell("BC_1", cp.name, "output3", 'X');
      o.control = control;
      o.disableValue = '1';
      o.disableResult = "Z";
    } else {
      cell("BC_4", cp.name, "input", 'X');
    }
    cell("BC_4", "*", "internal", 'X');
  }
  for (std::size_t i = kTriplesBeforeConfig; i < io.size(); ++i) triple(io[i]);
  for (int i = 0; static_cast<int>(d.cells.size()) < r.cells; ++i) cell("BC_4", "*", "internal", i % 2 ? '1' : 'X');

  d.designWarning =
      "Synthesized description: the TAP balls, the instructions, the register lengths and the cell "
      "pattern are those of the device; which ball carries which cell is made up.";

  const std::string header =
      "SYNTHESIZED DATA - NOT VENDOR DATA.\n"
      "Boundary-scan description of " + std::string(r.name) + ", made by s4_bsdlsynth (tools/bsdl_synth) from the\n"
      "pin set devicedata/data/" + std::string(r.name) + ".pins.tsv and the facts fixed for this device: " +
      std::to_string(r.pins) + " pins,\n" + std::to_string(r.cells) + " cells, the TAP balls, the opcodes and IOCSR[" +
      std::to_string(r.iocsr) + "]. Which ball carries which cell is made up.\n"
      "Replace it with the vendor's BSDL file before relying on it for a board test.";
  out.text = bsdl::Write(d, header);
  return out;
}

}  // namespace s4::bsdl_synth
