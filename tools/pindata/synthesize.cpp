#include "tools/pindata/synthesize.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>

#include "tools/bsdl_synth/records.h"
#include "tools/pindata/ball_grid.h"

namespace s4::pindata {
namespace {

enum class Side { Top, Bottom, Right, Left };

StandardSet Range(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> ranges) {
  StandardSet s;
  for (auto [a, b] : ranges)
    for (std::uint32_t o = a; o <= b; ++o) s.Add(o);
  return s;
}

// Standard classes of the pin kinds that the example pins show: plain differential I/O,
// clock I/O, special and DLL I/O, and input-only clock pins. Other I/O pins support every
// standard of the set, which makes the set's standards the union of the pins'.
const StandardSet kPlainDiffIO = Range({{0, 10}, {15, 43}});  // 40 of the full set
const StandardSet kClockIO = Range({{0, 10}, {15, 47}});      // 44
const StandardSet kSpecialIO = Range({{0, 10}, {15, 46}});    // 43
const StandardSet kInputOnlyIO = Range({{0, 10}, {15, 41}});    // 38

class Synthesizer {
 public:
  Synthesizer(TDevicePackage dp, const std::vector<BoardAssignments>& boards)
      : dp_(dp), set_(kDevicePackages[dp]), n_(kPackages[set_.Package].GridSize),
        banks_(set_.BaseName < eEP4SE230) {
    for (const std::string& ball : AllBalls(n_)) {
      Pin p;
      p.PinNumber = ball;
      pins_.emplace(ball, p);
    }
    for (const BoardAssignments& b : boards) {
      if (BoardDevicePackage(b) != dp) continue;
      for (const BoardPin& bp : b.Pins) {
        if (!pins_.count(bp.Ball)) continue;
        (IsTransceiverStandard(bp.Standard) ? boardTransceiver_ : boardIO_).insert(bp.Ball);
      }
    }
    for (const auto& ball : boardTransceiver_) boardIO_.erase(ball);
    // The TAP balls carry the JTAG signals in the package's boundary-scan description: they
    // stay dedicated pins (no flags, no bank) and are never handed out below.
    for (const bsdl_synth::RecordFacts& r : bsdl_synth::Records()) {
      if (r.name != Narrow(set_.Name)) continue;
      for (std::string_view tap : {r.tck, r.tdi, r.tdo, r.tms, r.trst}) {
        const std::string ball(tap);
        if (!pins_.count(ball))
          throw std::runtime_error(Narrow(set_.Name) + ": TAP ball " + ball + " is not a ball of the package");
        if (boardIO_.count(ball) || boardTransceiver_.count(ball))
          throw std::runtime_error(Narrow(set_.Name) + ": a board project assigns the TAP ball " + ball);
        taken_.insert(ball);
      }
    }
  }

  PinFile Run() {
    ioPairs_ = std::min(set_.DiffCount, set_.IOCount / 2);
    singles_ = set_.IOCount - 2 * ioPairs_;
    otherPairs_ = set_.DiffCount - ioPairs_;
    hsPairs_ = set_.HSpeedDiffCount;
    vrefs_ = (set_.IOCount + 47) / 48;
    if (dp_ == eDP_EP4SGX70DF29) PlaceExamples();

    // Transceiver pairs first, where board projects put transceiver signals and otherwise
    // on the left and right sides; then the user I/O from the outside in.
    std::vector<std::string> order = GeometricOrder();
    std::vector<std::string> hsOrder(boardTransceiver_.begin(), boardTransceiver_.end());
    SortGeometric(hsOrder);
    for (const auto& b : order)
      if (!boardIO_.count(b) && !boardTransceiver_.count(b) && (SideOf(b) == Side::Left || SideOf(b) == Side::Right))
        hsOrder.push_back(b);
    for (const auto& b : order)
      if (!boardIO_.count(b) && !boardTransceiver_.count(b)) hsOrder.push_back(b);
    std::vector<std::string> ioOrder(boardIO_.begin(), boardIO_.end());
    SortGeometric(ioOrder);
    for (const auto& b : order)
      if (!boardTransceiver_.count(b)) ioOrder.push_back(b);

    std::size_t hsCursor = 0, ioCursor = 0;
    for (int k = 0; k < hsPairs_; ++k) {
      Pin& p = Take(hsOrder, hsCursor);
      Pin& q = Take(hsOrder, hsCursor);
      const bool transmit = k % 2 == 0;
      const std::uint16_t dir = transmit ? kTxDiff : kRxDiff;
      const char side = SideOf(p.PinNumber) == Side::Left ? 'L' : 'R';
      const std::string id = NewId(diffIds_, [&](int i) {
        return std::string(1, side) + std::to_string(i / 2 + 1) + (i % 2 == 0 ? "T" : "R");
      }, transmit ? 0 : 1, 2);
      Pair(p, q, id, kHDiffP | dir, kHDiffN | dir);
    }
    for (int k = 0; k < ioPairs_; ++k) {
      auto [pp, qq] = TakePairInOneBank(ioOrder, ioCursor);
      Pin& p = *pp;
      Pin& q = *qq;
      std::uint16_t both = kIO;
      StandardSet standards = set_.Standards;
      if (k % 12 == 3) {
        both |= kCLK;
        standards = kClockIO & set_.Standards;
        const std::string clk = NewId(clockIds_, [](int i) { return std::to_string(i + 1); });
        p.ClkDiffId = q.ClkDiffId = clk;
        p.Options |= kClkDiffP;
        q.Options |= kClkDiffN;
      } else if (k % 20 == 9) {
        both |= kSpecial;
        standards = kSpecialIO & set_.Standards;
      } else if (k % 31 == 17) {
        both |= kCLK | kDLL;
        standards = kSpecialIO & set_.Standards;
      }
      Pair(p, q, NewId(diffIds_, [](int i) { return std::to_string(i + 1); }), both | kDiffP, both | kDiffN);
      p.Standards = q.Standards = standards;
      MakeIO(p);
      MakeIO(q);
    }
    for (int k = 0; k < singles_; ++k) {
      Pin& p = Take(ioOrder, ioCursor);
      p.Options = kIO;
      p.Standards = set_.Standards;
      MakeIO(p);
    }
    for (int k = 0; k < otherPairs_; ++k) {
      Pin& p = Take(ioOrder, ioCursor);
      Pin& q = Take(ioOrder, ioCursor);
      const char side = SideOf(p.PinNumber) == Side::Left ? 'L' : 'R';
      Pair(p, q, NewId(diffIds_, [&](int i) { return "CMU_" + std::string(1, side) + std::to_string(i + 1) + "R"; }),
           kDiffP, kDiffN);
    }
    for (int k = 0; k < vrefs_; ++k) Take(ioOrder, ioCursor).Options = kVREF;

    PinFile file;
    file.PinSet = Narrow(set_.Name);
    file.Provenance = "synthesized";
    file.Comments = {
        "SYNTHESIZED DATA - NOT VENDOR DATA. Made by s4_pinsynth (tools/pindata) from the device",
        "package table: the ball grid, the pin counts, the standards and the published example pins",
        "are right; which ball has which function is made up. Replace it with the vendor's pin-out",
        "(s4_pinimport) before relying on it for a board.",
    };
    for (auto& [name, pin] : pins_) file.Pins.push_back(pin);  // std::map: code-unit order
    return file;
  }

 private:
  static std::string Narrow(std::u16string_view s) { return std::string(s.begin(), s.end()); }

  BallPosition Pos(const std::string& ball) const { return *ParseBall(ball, n_); }

  Side SideOf(const std::string& ball) const {
    const BallPosition p = Pos(ball);
    const int top = p.row, bottom = n_ - 1 - p.row, left = p.column, right = n_ - 1 - p.column;
    const int m = std::min({top, bottom, left, right});
    if (m == top) return Side::Top;
    if (m == bottom) return Side::Bottom;
    if (m == right) return Side::Right;
    return Side::Left;
  }

  // Banks: 7/8 along the top, 3/4 along the bottom, 1/2 on the right, 6/5 on the left; the
  // letter says how far from the middle of the side (C nearest).
  std::string BankOf(const std::string& ball) const {
    const BallPosition p = Pos(ball);
    const int half = n_ / 2;
    const Side side = SideOf(ball);
    const bool vertical = side == Side::Left || side == Side::Right;
    const int along = vertical ? p.row : p.column;
    const int fromMiddle = std::abs(2 * along - (n_ - 1)) / 2;
    const int third = std::min(2, fromMiddle * 3 / half);
    char letter = "CBA"[third];
    int number = 0;
    switch (side) {
      case Side::Top: number = p.column < half ? 7 : 8; break;
      case Side::Bottom: number = p.column >= half ? 3 : 4; break;
      case Side::Right: number = p.row < half ? 1 : 2; break;
      case Side::Left: number = p.row < half ? 6 : 5; break;
    }
    if (vertical && letter == 'B') letter = 'A';
    return std::to_string(number) + letter;
  }

  std::pair<int, int> GeometricKey(const std::string& ball) const {
    const BallPosition p = Pos(ball);
    const int k = std::min({p.row, p.column, n_ - 1 - p.row, n_ - 1 - p.column});
    const int len = n_ - 1 - 2 * k;
    int pos;
    if (p.row == k) pos = p.column - k;
    else if (p.column == n_ - 1 - k) pos = len + (p.row - k);
    else if (p.row == n_ - 1 - k) pos = 2 * len + (n_ - 1 - k - p.column);
    else pos = 3 * len + (n_ - 1 - k - p.row);
    return {k, pos};
  }

  void SortGeometric(std::vector<std::string>& balls) const {
    std::sort(balls.begin(), balls.end(),
              [&](const std::string& a, const std::string& b) { return GeometricKey(a) < GeometricKey(b); });
  }

  std::vector<std::string> GeometricOrder() const {
    std::vector<std::string> balls;
    for (const auto& [name, pin] : pins_) balls.push_back(name);
    SortGeometric(balls);
    return balls;
  }

  Pin& Take(const std::vector<std::string>& order, std::size_t& cursor) {
    while (cursor < order.size() && taken_.count(order[cursor])) ++cursor;
    if (cursor >= order.size())
      throw std::runtime_error("not enough balls in " + Narrow(set_.Name) + " for its pin counts");
    taken_.insert(order[cursor]);
    return pins_.at(order[cursor++]);
  }

  // The first free ball in `order` that has a free partner in its own bank later in the
  // order, and the nearest such partner: the host tells pairs apart by bank and ids, so both
  // halves of a pair must be in one bank. A ball whose bank has no free partner left is
  // passed over (and stays for a single-ended pin).
  std::pair<Pin*, Pin*> TakePairInOneBank(const std::vector<std::string>& order, std::size_t& cursor) {
    while (cursor < order.size() && taken_.count(order[cursor])) ++cursor;
    for (std::size_t i = cursor; i < order.size(); ++i) {
      if (taken_.count(order[i])) continue;
      const std::string& bank = BankCached(order[i]);
      for (std::size_t j = i + 1; j < order.size(); ++j) {
        if (order[j] == order[i] || taken_.count(order[j]) || BankCached(order[j]) != bank) continue;
        taken_.insert(order[i]);
        taken_.insert(order[j]);
        return {&pins_.at(order[i]), &pins_.at(order[j])};
      }
    }
    throw std::runtime_error("not enough balls in " + Narrow(set_.Name) + " for its pairs within banks");
  }

  const std::string& BankCached(const std::string& ball) {
    static const std::string none;
    if (!banks_) return none;
    auto it = bankOf_.find(ball);
    if (it == bankOf_.end()) it = bankOf_.emplace(ball, BankOf(ball)).first;
    return it->second;
  }

  Pin& Fixed(const char* ball) {
    taken_.insert(ball);
    return pins_.at(ball);
  }

  // The first unused id that `make` produces from start, start+step, ...
  template <class F>
  std::string NewId(std::set<std::string>& used, F make, int start = 0, int step = 1) {
    for (int i = start;; i += step) {
      std::string id = make(i);
      if (used.insert(id).second) return id;
    }
  }

  void Pair(Pin& p, Pin& q, const std::string& id, std::uint16_t pFlags, std::uint16_t qFlags) {
    p.DiffId = q.DiffId = id;
    p.Options |= pFlags;
    q.Options |= qFlags;
  }

  void MakeIO(Pin& p) {
    if (banks_) p.Bank = BankOf(p.PinNumber);
  }

  void PlaceExamples() {
    auto io = [&](const char* ball, const char* diff, const char* clk, std::uint16_t flags, StandardSet s) {
      Pin& p = Fixed(ball);
      p.DiffId = diff;
      p.ClkDiffId = clk;
      p.Options = flags;
      p.Standards = s & set_.Standards;
      MakeIO(p);
      if (*diff) diffIds_.insert(diff);
      if (*clk) clockIds_.insert(clk);
    };
    io("A10", "21", "", kIO | kDiffP, kPlainDiffIO);
    io("A11", "21", "", kIO | kDiffN, kPlainDiffIO);
    io("A13", "32", "12", kIO | kCLK | kDiffP | kClkDiffP, kClockIO);
    io("A14", "32", "12", kIO | kCLK | kDiffN | kClkDiffN, kClockIO);
    io("AB15", "29", "", kIO | kCLK | kDiffP | kDLL, kSpecialIO);
    io("AB16", "29", "", kIO | kCLK | kDiffN | kDLL, kSpecialIO);
    io("K27", "22", "", kIO | kSpecial | kDiffP, kSpecialIO);
    io("K28", "22", "", kIO | kSpecial | kDiffN, kSpecialIO);
    io("P27", "", "1", kIO | kCLK | kInputOnly | kClkDiffP, kInputOnlyIO);
    io("P28", "", "1", kIO | kCLK | kInputOnly | kClkDiffN, kInputOnlyIO);
    ioPairs_ -= 4;
    singles_ -= 2;
    auto other = [&](const char* ball, const char* diff, std::uint16_t flags) {
      Pin& p = Fixed(ball);
      p.DiffId = diff;
      p.Options = flags;
      if (*diff) diffIds_.insert(diff);
    };
    other("AA4", "R1T", kHDiffP | kTxDiff);
    other("AA3", "R1T", kHDiffN | kTxDiff);
    other("AB2", "R1R", kHDiffP | kRxDiff);
    other("AB3", "R1R", kHDiffN | kRxDiff);
    other("AB13", "", kVREF);
    other("AA1", "", 0);
    hsPairs_ -= 2;
    vrefs_ -= 1;
  }

  TDevicePackage dp_;
  const TDevicePackageParameters& set_;
  int n_;
  bool banks_;
  std::map<std::string, Pin> pins_;
  std::map<std::string, std::string> bankOf_;
  std::set<std::string> taken_, diffIds_, clockIds_, boardIO_, boardTransceiver_;
  int ioPairs_ = 0, singles_ = 0, otherPairs_ = 0, hsPairs_ = 0, vrefs_ = 0;
};

}  // namespace

PinFile Synthesize(TDevicePackage dp, const std::vector<BoardAssignments>& boards) {
  return Synthesizer(dp, boards).Run();
}

}  // namespace s4::pindata
