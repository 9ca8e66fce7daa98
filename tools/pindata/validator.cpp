#include "tools/pindata/validator.h"

#include <map>
#include <set>

#include "tools/bsdl_synth/records.h"
#include "tools/pindata/ball_grid.h"

namespace s4::pindata {
namespace {

std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

struct ExamplePin {
  const char* Number;
  const char* Bank;
  const char* DiffId;
  const char* ClkDiffId;
  std::uint16_t Options;
  int StandardCount;
};
// The published example pins of EP4SGX70DF29.
constexpr ExamplePin kExamples[] = {
    {"A10", "7C", "21", "", kIO | kDiffP, 40},
    {"A11", "7C", "21", "", kIO | kDiffN, 40},
    {"A13", "7C", "32", "12", kIO | kCLK | kDiffP | kClkDiffP, 44},
    {"AA1", "", "", "", 0, 0},
    {"AA4", "", "R1T", "", kHDiffP | kTxDiff, 0},
    {"AB2", "", "R1R", "", kHDiffP | kRxDiff, 0},
    {"AB13", "", "", "", kVREF, 0},
    {"AB15", "3C", "29", "", kIO | kCLK | kDiffP | kDLL, 43},
    {"K27", "1C", "22", "", kIO | kSpecial | kDiffP, 43},
    {"P27", "1C", "", "1", kIO | kCLK | kInputOnly | kClkDiffP, 38},
};

bool HasNoBanks(TBaseNameId base) { return base >= eEP4SE230; }

struct PairMembers {
  std::vector<const Pin*> positive, negative;
  std::uint16_t kinds = 0;
};

// The blanks of a .qsf line (what a regular expression's \\s stands for).
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A line of a .qsf project cut into its words by plain scanning: a project's values can be
// tens of kilobytes long, so no backtracking matcher (whose recursion grows with the token)
// touches them. A word that starts with a double quote runs to the next double quote, blanks
// included, when one follows (quotes kept); otherwise to the next blank.
std::vector<std::string_view> QsfWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::size_t end = i;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close != std::string_view::npos && (close + 1 == line.size() || IsBlank(line[close + 1]))) end = close + 1;
    }
    if (end == i)
      while (end < line.size() && !IsBlank(line[end])) ++end;
    words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

// "PIN_" followed by a ball name (capital letters, then digits); the ball, or empty.
std::string_view LocationBall(std::string_view word) {
  if (word.substr(0, 4) != "PIN_") return {};
  const std::string_view ball = word.substr(4);
  std::size_t i = 0;
  while (i < ball.size() && ball[i] >= 'A' && ball[i] <= 'Z') ++i;
  const std::size_t letters = i;
  while (i < ball.size() && ball[i] >= '0' && ball[i] <= '9') ++i;
  return letters > 0 && i > letters && i == ball.size() ? ball : std::string_view();
}

}  // namespace

BoardAssignments ParseBoardAssignments(std::string_view text, const std::string& source) {
  BoardAssignments board;
  board.Source = source;
  std::map<std::string, std::string> standards;
  std::vector<std::pair<std::string, std::string>> locations;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const std::vector<std::string_view> w = QsfWords(line);
    if (w.empty() || w[0].front() == '#') continue;
    // set_global_assignment -name DEVICE <device>
    if (w.size() >= 4 && w[0] == "set_global_assignment" && w[1] == "-name" && w[2] == "DEVICE") {
      board.Device = w[3];
    } else if (w.size() >= 4 && w[0] == "set_location_assignment" && !LocationBall(w[1]).empty() && w[2] == "-to") {
      // set_location_assignment PIN_<ball> -to <signal>
      locations.emplace_back(LocationBall(w[1]), w[3]);
    } else if (w.size() >= 6 && w[0] == "set_instance_assignment" && w[1] == "-name" && w[2] == "IO_STANDARD" &&
               w[4] == "-to") {
      // set_instance_assignment -name IO_STANDARD <standard or "quoted standard"> -to <signal>
      // A quote without its end is no standard at all (not a standard named by the rest).
      std::string_view s = w[3];
      const bool quoted = s.front() == '"';
      if (quoted && (s.size() < 2 || s.back() != '"')) continue;
      if (quoted) s = s.substr(1, s.size() - 2);
      standards[std::string(w[5])] = s;
    }
  }
  for (auto& [ball, signal] : locations) {
    auto it = standards.find(signal);
    board.Pins.push_back({ball, it == standards.end() ? std::string() : it->second, signal});
  }
  return board;
}

std::optional<TDevicePackage> DevicePackageByName(std::string_view name) {
  for (std::uint32_t i = 0; i < kDevicePackageCount; ++i)
    if (Narrow(kDevicePackages[i].Name) == name) return static_cast<TDevicePackage>(i);
  return std::nullopt;
}

std::optional<TDevicePackage> BoardDevicePackage(const BoardAssignments& board) {
  // The ordering code is the device package's name followed by the grades; the longest
  // matching name wins (no name is a prefix of another, but be exact about it).
  std::optional<TDevicePackage> best;
  std::size_t bestLength = 0;
  for (std::uint32_t i = 0; i < kDevicePackageCount; ++i) {
    const std::string name = Narrow(kDevicePackages[i].Name);
    if (board.Device.compare(0, name.size(), name) == 0 && name.size() > bestLength) {
      best = static_cast<TDevicePackage>(i);
      bestLength = name.size();
    }
  }
  return best;
}

bool IsTransceiverStandard(std::string_view standard) {
  return standard.find("PCML") != std::string_view::npos || standard == "HCSL";
}

std::vector<Diagnostic> Validate(const PinFile& file, const std::string& fileName,
                                 const std::vector<BoardAssignments>& boards) {
  std::vector<Diagnostic> out;
  auto report = [&](const Pin* pin, std::string rule, std::string message) {
    out.push_back({fileName, pin ? pin->Line : 0, pin ? pin->PinNumber : std::string(), std::move(rule),
                   std::move(message)});
  };
  const auto dp = DevicePackageByName(file.PinSet);
  if (!dp) {
    report(nullptr, "header", "pin-set '" + file.PinSet + "' is not a device package of the family");
    return out;
  }
  const TDevicePackageParameters& set = kDevicePackages[*dp];
  const int grid = kPackages[set.Package].GridSize;

  // Geometry and order.
  std::set<std::string> seen;
  for (std::size_t i = 0; i < file.Pins.size(); ++i) {
    const Pin& p = file.Pins[i];
    if (!ParseBall(p.PinNumber, grid))
      report(&p, "geometry", "'" + p.PinNumber + "' is not a ball of the " + std::to_string(grid) + "x" +
                                 std::to_string(grid) + " grid (corners excluded)");
    if (!seen.insert(p.PinNumber).second) report(&p, "geometry", "ball listed twice");
    if (i > 0 && !(file.Pins[i - 1].PinNumber < p.PinNumber))
      report(&p, "order", "not after '" + file.Pins[i - 1].PinNumber + "' in code-unit order");
  }
  for (const std::string& ball : AllBalls(grid))
    if (!seen.count(ball)) report(nullptr, "geometry", "ball " + ball + " is missing");

  // Text fields: the module's tables hold them as UTF-16 code units one for one.
  for (const Pin& p : file.Pins)
    for (const std::string* field : {&p.Bank, &p.DiffId, &p.ClkDiffId})
      for (char c : *field)
        if (c < 0x21 || c > 0x7E || c == '"' || c == '\\') {
          report(&p, "format", "'" + *field + "' holds a character other than printable ASCII");
          break;
        }

  // Counts.
  std::int32_t io = 0, diff = 0, hdiff = 0;
  for (const Pin& p : file.Pins) {
    io += (p.Options & kIO) != 0;
    diff += (p.Options & kDiffP) != 0;
    hdiff += (p.Options & kHDiffP) != 0;
  }
  auto count = [&](const char* what, std::int32_t found, std::int32_t expected) {
    if (found != expected)
      report(nullptr, "counts", std::string(what) + " is " + std::to_string(found) + ", the device table says " +
                                    std::to_string(expected));
  };
  count("PinCount", static_cast<std::int32_t>(file.Pins.size()), set.PinCount);
  count("IOCount (pins with IO)", io, set.IOCount);
  count("DiffCount (pins with DIFFP)", diff, set.DiffCount);
  count("HSpeedDiffCount (pins with HDIFFP)", hdiff, set.HSpeedDiffCount);

  // Pairs, DCI, banks, standards.
  std::map<std::string, PairMembers> pairs, clockPairs;
  StandardSet all;
  for (const Pin& p : file.Pins) {
    const std::uint16_t pairFlags = p.Options & (kDiffP | kDiffN | kHDiffP | kHDiffN);
    if (!p.DiffId.empty()) {
      if (pairFlags == 0 || (pairFlags & (pairFlags - 1)) != 0)
        report(&p, "pair", "a pin with DiffId '" + p.DiffId + "' needs exactly one of DIFFP, DIFFN, HDIFFP, HDIFFN");
      PairMembers& m = pairs[p.DiffId];
      (p.Options & (kDiffP | kHDiffP) ? m.positive : m.negative).push_back(&p);
      m.kinds |= pairFlags;
    } else if (pairFlags) {
      report(&p, "pair", "differential flag without a DiffId");
    }
    const std::uint16_t clockFlags = p.Options & (kClkDiffP | kClkDiffN);
    if (!p.ClkDiffId.empty()) {
      if (clockFlags != kClkDiffP && clockFlags != kClkDiffN)
        report(&p, "pair", "a pin with ClkDiffId '" + p.ClkDiffId + "' needs exactly one of CLKDIFFP, CLKDIFFN");
      (p.Options & kClkDiffP ? clockPairs[p.ClkDiffId].positive : clockPairs[p.ClkDiffId].negative).push_back(&p);
    } else if (clockFlags) {
      report(&p, "pair", "clock differential flag without a ClkDiffId");
    }
    if (p.Options & (kDCIP | kDCIN)) report(&p, "dci", "no pin of the family has a DCI flag");
    if (!p.Bank.empty() && HasNoBanks(set.BaseName))
      report(&p, "bank", "pins of " + file.PinSet + " have no bank, found '" + p.Bank + "'");
    if ((p.Standards & set.Standards) != p.Standards)
      report(&p, "standards", "supports standards the set does not offer");
    all = all | p.Standards;
  }
  auto checkPairs = [&](const std::map<std::string, PairMembers>& m, const char* what) {
    for (const auto& [id, members] : m) {
      const Pin* where = !members.positive.empty() ? members.positive.front() : members.negative.front();
      if (members.positive.size() != 1 || members.negative.size() != 1)
        report(where, "pair", std::string(what) + " '" + id + "' has " + std::to_string(members.positive.size()) +
                                  " positive and " + std::to_string(members.negative.size()) +
                                  " negative pins; a pair is one of each");
      else if (members.kinds == (kDiffP | kHDiffN) || members.kinds == (kHDiffP | kDiffN))
        report(where, "pair", std::string(what) + " '" + id + "' mixes a differential and a high-speed pin");
      else if (members.positive.front()->Bank != members.negative.front()->Bank)
        // The host tells pairs apart by bank and ids together: the two halves of one pair in
        // two banks would answer two different pairs.
        report(where, "pair", std::string(what) + " '" + id + "' joins a pin of bank '" +
                                  members.positive.front()->Bank + "' and one of bank '" +
                                  members.negative.front()->Bank + "'; a pair stays in one bank");
    }
  };
  checkPairs(pairs, "DiffId");
  checkPairs(clockPairs, "ClkDiffId");
  if (!(all == set.Standards))
    report(nullptr, "standards",
           "the union of the pins' standards (" + StandardsToText(all) + ") is not the set's standards (" +
               StandardsToText(set.Standards) + ")");

  std::map<std::string, const Pin*> byName;
  for (const Pin& p : file.Pins) byName.emplace(p.PinNumber, &p);

  // TAP balls: the boundary-scan description of the package puts the JTAG signals there, so
  // the pin data must not offer them as user I/O or as half of a pair.
  for (const bsdl_synth::RecordFacts& r : bsdl_synth::Records()) {
    if (r.name != file.PinSet) continue;
    const std::pair<std::string_view, const char*> taps[] = {
        {r.tck, "TCK"}, {r.tdi, "TDI"}, {r.tdo, "TDO"}, {r.tms, "TMS"}, {r.trst, "TRST"}};
    for (const auto& [ball, signal] : taps) {
      auto it = byName.find(std::string(ball));
      if (it == byName.end()) continue;  // a missing ball is a geometry finding
      const Pin& p = *it->second;
      const std::uint16_t userFlags = kIO | kDiffP | kDiffN | kHDiffP | kHDiffN | kClkDiffP | kClkDiffN;
      if ((p.Options & userFlags) || !p.DiffId.empty() || !p.ClkDiffId.empty() || !p.Bank.empty())
        report(&p, "tap", std::string("the boundary-scan description puts ") + signal +
                              " on this ball, so it is no I/O pin, pair member or bank pin; found '" +
                              FlagsToText(p.Options) + "'" + (p.Bank.empty() ? "" : " in bank " + p.Bank));
    }
  }

  // Examples.
  if (*dp == eDP_EP4SGX70DF29) {
    for (const ExamplePin& e : kExamples) {
      auto it = byName.find(e.Number);
      if (it == byName.end()) {
        report(nullptr, "example", std::string("example pin ") + e.Number + " is missing");
        continue;
      }
      const Pin& p = *it->second;
      if (p.Bank != e.Bank || p.DiffId != e.DiffId || p.ClkDiffId != e.ClkDiffId || p.Options != e.Options ||
          p.Standards.Count() != e.StandardCount)
        report(&p, "example",
               std::string("expected bank '") + e.Bank + "', DiffId '" + e.DiffId + "', ClkDiffId '" + e.ClkDiffId +
                   "', flags '" + FlagsToText(e.Options) + "', " + std::to_string(e.StandardCount) +
                   " standards; found '" + p.Bank + "', '" + p.DiffId + "', '" + p.ClkDiffId + "', '" +
                   FlagsToText(p.Options) + "', " + std::to_string(p.Standards.Count()));
    }
  }

  // Board projects of this device package.
  for (const BoardAssignments& board : boards) {
    if (BoardDevicePackage(board) != dp) continue;
    for (const BoardPin& b : board.Pins) {
      auto it = byName.find(b.Ball);
      if (it == byName.end()) {
        if (ParseBall(b.Ball, grid))
          report(nullptr, "board", board.Source + " assigns " + b.Signal + " to " + b.Ball + ", which is missing");
        continue;
      }
      const Pin& p = *it->second;
      const bool transceiver = IsTransceiverStandard(b.Standard);
      const bool ok = transceiver ? (p.Options & (kHDiffP | kHDiffN)) != 0 : (p.Options & kIO) != 0;
      if (!ok)
        report(&p, "board", board.Source + " assigns " + b.Signal + " (" + (b.Standard.empty() ? "no standard" : b.Standard) +
                                ") here, so it must be " +
                                (transceiver ? "a high-speed differential pin" : "a user I/O pin"));
    }
  }
  return out;
}

}  // namespace s4::pindata
