#include "tools/pindata/vendor_import.h"

#include <algorithm>
#include <map>
#include <optional>

namespace s4::pindata {
namespace {

std::string Trim(std::string_view s) {
  const auto a = s.find_first_not_of(" \t\r\"");
  if (a == std::string_view::npos) return {};
  const auto b = s.find_last_not_of(" \t\r\"");
  return std::string(s.substr(a, b - a + 1));
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::vector<std::string> SplitCells(std::string_view line) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (;;) {
    const auto tab = line.find('\t', start);
    cells.push_back(Trim(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start)));
    if (tab == std::string_view::npos) return cells;
    start = tab + 1;
  }
}

// The names a cell of function text holds: separated by blanks, commas or slashes.
std::vector<std::string> Names(const std::string& cell) {
  std::vector<std::string> names;
  std::string cur;
  for (char c : cell) {
    if (c == ' ' || c == ',' || c == '/' || c == ';') {
      if (!cur.empty()) names.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) names.push_back(cur);
  return names;
}

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && Lower(std::string(s.substr(0, prefix.size()))) == Lower(std::string(prefix));
}

// A pair member's name: prefix, an id of letters, digits and "_", and "p" or "n" at the end
// (letter case ignored). Plain scanning: vendor tables can hold very long cells, and a
// backtracking matcher's recursion would grow with them.
struct PairName {
  std::string prefix;  // as written in the name
  std::string id;
  bool positive = false;
};
std::optional<PairName> MatchPairName(std::string_view name, std::initializer_list<std::string_view> prefixes) {
  for (std::string_view prefix : prefixes) {
    if (!StartsWithIgnoreCase(name, prefix) || name.size() < prefix.size() + 2) continue;
    const char last = name.back();
    if (last != 'p' && last != 'P' && last != 'n' && last != 'N') continue;
    const std::string_view id = name.substr(prefix.size(), name.size() - prefix.size() - 1);
    const bool word = std::all_of(id.begin(), id.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    });
    if (!word) continue;
    return PairName{std::string(name.substr(0, prefix.size())), std::string(id), last == 'p' || last == 'P'};
  }
  return std::nullopt;
}

// RX/TX direction flag of a prefix such as "DIFFIO_RX_" or "GXB_TX_".
std::uint16_t DirectionOf(const std::string& prefix) {
  const std::string p = Lower(prefix);
  if (p.find("_rx") != std::string::npos) return kRxDiff;
  if (p.find("_tx") != std::string::npos) return kTxDiff;
  return 0;
}

}  // namespace

Pin PinFromRow(const VendorRow& row, const StandardSet& setStandards, bool banks) {
  Pin p;
  p.PinNumber = row.Ball;
  std::vector<std::string> all = Names(row.Function);
  const std::vector<std::string> optional = Names(row.Optional);
  all.insert(all.end(), optional.begin(), optional.end());
  const std::string main = all.empty() ? std::string() : all.front();
  const std::string mainUpper = [&] {
    std::string s = main;
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  }();
  bool io = mainUpper.rfind("IO", 0) == 0, clockInput = false;
  for (const std::string& name : all) {
    if (auto m = MatchPairName(name, {"DIFFIO_RX_", "DIFFIO_TX_", "DIFFIN_", "DIFFOUT_"})) {
      io = true;
      p.Options |= m->positive ? kDiffP : kDiffN;
      p.Options |= DirectionOf(m->prefix);
      p.DiffId = m->id;
    } else if (auto g = MatchPairName(name, {"GXB_RX_", "GXB_TX_", "REFCLK_"})) {
      p.Options |= g->positive ? kHDiffP : kHDiffN;
      p.Options |= DirectionOf(g->prefix);
      p.DiffId = g->prefix + g->id;
    } else if (auto c = MatchPairName(name, {"CLK"})) {
      p.Options |= kCLK | (c->positive ? kClkDiffP : kClkDiffN);
      p.ClkDiffId = c->id;
      if (&name == &all.front()) clockInput = true;
    }
  }
  if (clockInput && !io) p.Options |= kIO | kInputOnly;
  if (io) p.Options |= kIO;
  if (mainUpper.rfind("VREF", 0) == 0) p.Options |= kVREF;
  if ((p.Options & kIO) && !row.Configuration.empty()) p.Options |= kSpecial;
  if (p.Options & kIO) {
    p.Standards = setStandards;
    if (banks) p.Bank = row.Bank;
  }
  return p;
}

ImportResult ImportVendorPinout(std::string_view text, TDevicePackage dp, const std::string& column,
                                const std::string& source) {
  ImportResult result;
  const TDevicePackageParameters& set = kDevicePackages[dp];
  const TPackageParameters& package = kPackages[set.Package];
  const std::string wanted =
      column.empty() ? std::string(1, static_cast<char>(package.Id[0])) + std::to_string(set.PinCount) : column;
  int ballCol = -1, bankCol = -1, functionCol = -1, optionalCol = -1, configCol = -1;
  bool header = false;
  std::map<std::string, Pin> pins;
  std::size_t start = 0, lineNo = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string> cells = SplitCells(text.substr(start, end - start));
    start = end + 1;
    ++lineNo;
    if (!header) {
      for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::string c = Lower(cells[i]);
        if (c == "bank number") bankCol = static_cast<int>(i);
        else if (c == "pin name/function") functionCol = static_cast<int>(i);
        else if (c == "optional function(s)") optionalCol = static_cast<int>(i);
        else if (c == "configuration function") configCol = static_cast<int>(i);
        else if (c == Lower(wanted)) ballCol = static_cast<int>(i);
      }
      if (bankCol < 0 || functionCol < 0) {
        bankCol = functionCol = optionalCol = configCol = ballCol = -1;
        continue;
      }
      header = true;
      if (ballCol < 0) {
        result.Errors.push_back(source + ":" + std::to_string(lineNo) + ": the header row has no ball column '" +
                                wanted + "' (name it with --column)");
        return result;
      }
      continue;
    }
    auto cell = [&](int col) { return col >= 0 && col < static_cast<int>(cells.size()) ? cells[col] : std::string(); };
    VendorRow row{cell(ballCol), cell(bankCol), cell(functionCol), cell(optionalCol), cell(configCol)};
    if (row.Ball.empty()) continue;
    Pin pin = PinFromRow(row, set.Standards, set.BaseName < eEP4SE230);
    pin.Line = static_cast<int>(lineNo);
    if (!pins.emplace(pin.PinNumber, pin).second)
      result.Errors.push_back(source + ":" + std::to_string(lineNo) + ": ball " + pin.PinNumber + " appears twice");
  }
  if (!header) {
    result.Errors.push_back(source + ": no header row with 'Bank Number' and 'Pin Name/Function' cells");
    return result;
  }
  result.File.PinSet = std::string(set.Name.begin(), set.Name.end());
  result.File.Provenance = "vendor-import";
  result.File.Comments = {"Converted by s4_pinimport from " + source + " (column " + wanted + ").",
                          "Standards are not in vendor pin-outs: every IO pin carries the set's standards."};
  for (auto& [name, pin] : pins) result.File.Pins.push_back(pin);  // std::map: code-unit order
  return result;
}

}  // namespace s4::pindata
