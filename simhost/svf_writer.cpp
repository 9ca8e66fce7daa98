#include "simhost/svf_writer.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <map>

namespace s4::sim {

namespace {

constexpr const char* kHeaderNames[4] = {"HIR", "TIR", "HDR", "TDR"};
// Digits per line of a long hex field; SVF lines must stay under 256 characters.
constexpr std::uint64_t kDigitsPerLine = 64;

bool IsStable(TapState s) {
  return s == TapState::TestLogicReset || s == TapState::RunTestIdle || s == TapState::PauseDR ||
         s == TapState::PauseIR;
}

bool IsShift(TapState s) { return s == TapState::ShiftDR || s == TapState::ShiftIR; }

// The states a player passes through (each one clock) when it walks the standard path.
std::vector<TapState> StandardPath(TapState from, TapState to) {
  const TmsPath p = TapPath(from, to);
  std::vector<TapState> states;
  TapState s = from;
  for (int k = 0; k < p.length; ++k) states.push_back(s = TapNext(s, p.tms[k]));
  return states;
}

std::string Names(const std::vector<TapState>& states) {
  std::string text;
  for (TapState s : states) {
    if (!text.empty()) text += ' ';
    text += TapStateName(s);
  }
  return text;
}

std::uint64_t Mask(std::uint64_t bits) { return bits >= 64 ? ~0ull : (1ull << bits) - 1; }

}  // namespace

// ---- The bits of one scan -------------------------------------------------------------------

class SvfWriter::ScanBits {
 public:
  explicit ScanBits(std::filesystem::path dir) : dir_(std::move(dir)) { memory_.reserve(kBlockWords); }
  ~ScanBits() {
    if (file_.is_open()) file_.close();
    if (!path_.empty()) {
      std::error_code ec;
      std::filesystem::remove(path_, ec);
    }
  }
  void Clear() {
    memory_.clear();
    spilled_ = 0;
    cacheStart_ = cacheEnd_ = 0;
  }
  void Append(std::uint64_t w) {
    memory_.push_back(w);
    if (memory_.size() == kBlockWords) Spill();
  }
  std::uint64_t Words() const { return spilled_ + memory_.size(); }
  // Word q of the scan (0 past its end).
  std::uint64_t Word(std::uint64_t q) {
    if (q >= Words()) return 0;
    if (q >= spilled_) return memory_[static_cast<std::size_t>(q - spilled_)];
    if (q < cacheStart_ || q >= cacheEnd_) Load(q);
    return cache_[static_cast<std::size_t>(q - cacheStart_)];
  }
  // 64 bits starting at bit `pos`.
  std::uint64_t BitsAt(std::uint64_t pos) {
    const std::uint64_t q = pos >> 6;
    const unsigned s = static_cast<unsigned>(pos & 63);
    const std::uint64_t low = Word(q) >> s;
    return s ? low | (Word(q + 1) << (64 - s)) : low;
  }

 private:
  // 1 MiB of bits in memory at most; longer scans go to the spill file in blocks of that size.
  static constexpr std::size_t kBlockWords = std::size_t{1} << 17;

  void Spill() {
    if (!file_.is_open()) {
      static std::atomic<unsigned> serial{0};
      const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
      std::filesystem::path dir = dir_;
      if (dir.empty()) dir = std::filesystem::temp_directory_path();
      path_ = dir / ("s4_svf_" + std::to_string(stamp) + "_" + std::to_string(++serial) + ".bits");
      file_.open(path_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
      if (!file_) throw SvfError("cannot make the spill file " + path_.string() + " for a long scan");
    }
    file_.seekp(static_cast<std::streamoff>(spilled_ * 8));
    file_.write(reinterpret_cast<const char*>(memory_.data()), static_cast<std::streamsize>(memory_.size() * 8));
    if (!file_) throw SvfError("cannot write the spill file " + path_.string() + " (disk full?)");
    spilled_ += memory_.size();
    memory_.clear();
    cacheStart_ = cacheEnd_ = 0;
  }
  // Scans are written from their last bit back to their first: load the block that ends just
  // after q, so that q and q + 1 are both in it.
  void Load(std::uint64_t q) {
    file_.flush();
    const std::uint64_t end = std::min<std::uint64_t>(spilled_, q + 2);
    cacheStart_ = end > kBlockWords ? end - kBlockWords : 0;
    cacheEnd_ = end;
    cache_.resize(static_cast<std::size_t>(cacheEnd_ - cacheStart_));
    file_.seekg(static_cast<std::streamoff>(cacheStart_ * 8));
    file_.read(reinterpret_cast<char*>(cache_.data()), static_cast<std::streamsize>(cache_.size() * 8));
    if (!file_) throw SvfError("cannot read back the spill file " + path_.string());
  }

  std::filesystem::path dir_, path_;
  std::fstream file_;
  std::vector<std::uint64_t> memory_;
  std::uint64_t spilled_ = 0;
  std::vector<std::uint64_t> cache_;
  std::uint64_t cacheStart_ = 0, cacheEnd_ = 0;
};

// ---- Writer ---------------------------------------------------------------------------------

SvfWriter::SvfWriter(std::ostream& out, SvfChainLayout chain, std::filesystem::path spoolDir)
    : out_(out), chain_(std::move(chain)), bits_(std::make_unique<ScanBits>(std::move(spoolDir))) {
  const int n = static_cast<int>(chain_.irLengths.size());
  if (chain_.position < 0 || chain_.position >= n)
    throw SvfError("position " + std::to_string(chain_.position) + " is not on a chain of " + std::to_string(n));
  for (int d = 0; d < n; ++d) {
    const auto ir = static_cast<std::uint64_t>(chain_.irLengths[static_cast<std::size_t>(d)]);
    if (d > chain_.position) {
      headerBits_[0] += ir;  // HIR: instruction registers nearer TDO
      headerBits_[2] += 1;   // HDR: their BYPASS bits
    } else if (d < chain_.position) {
      headerBits_[1] += ir;  // TIR
      headerBits_[3] += 1;   // TDR
    }
  }
  // SVF players start with no headers, but a player that ran another file before may not;
  // the first scan of each kind states them.
  for (auto& p : written_) p.length = ~0ull;
}

SvfWriter::~SvfWriter() = default;

void SvfWriter::Line(const std::string& text) {
  if (!started_) {
    // Scans end in Run-Test/Idle unless a scan of the recording ends elsewhere.
    started_ = true;
    Line("ENDIR IDLE;");
    Line("ENDDR IDLE;");
  }
  buffer_ += text;
  buffer_ += '\n';
  ++stats_.commands;
  if (buffer_.size() >= (1u << 20)) {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    stats_.bytes += buffer_.size();
    buffer_.clear();
  }
}

void SvfWriter::Comment(std::string_view text) {
  // Clocks already spent in a stable state belong before the comment.
  if (!scanning_ && state_ != TapState::Undefined && state_ == stable_) FlushRun();
  buffer_ += "! ";
  buffer_ += text;
  buffer_ += '\n';
}

void SvfWriter::Frequency(double hz) {
  char text[64];
  std::snprintf(text, sizeof text, "FREQUENCY %.6E HZ;", hz);
  Line(text);
}

void SvfWriter::FullWord() {
  bits_->Append(word_);
  word_ = 0;
  used_ = 0;
}

void SvfWriter::CheckTdo(bool level) {
  if (!scanning_ || !IsShift(state_)) return;
  checks_.emplace_back(64 * bits_->Words() + static_cast<std::uint64_t>(used_), level);
}

void SvfWriter::Wait(double seconds) {
  if (seconds <= 0) return;
  if (state_ == TapState::Undefined || (!scanning_ && state_ == stable_)) pendingWait_ += seconds;
}

void SvfWriter::SlowClock(bool tms, bool tdi) {
  ++stats_.clocks;
  if (state_ == TapState::Undefined) {
    // Five clocks with TMS high reset the controller from whatever state it was in.
    if (!tms) {
      highsFromUnknown_ = 0;
      return;
    }
    if (++highsFromUnknown_ < 5) return;
    highsFromUnknown_ = 0;
    state_ = stable_ = TapState::TestLogicReset;
    path_.clear();
    Line("STATE RESET;");
    return;
  }
  if (IsShift(state_)) {
    // The edge that leaves a Shift state shifts too.
    Push(tdi);
    --stats_.clocks;  // counted with the scan's bits
    if (!tms) return;
    state_ = state_ == TapState::ShiftDR ? TapState::Exit1DR : TapState::Exit1IR;
    exitPath_.assign(1, state_);
    return;
  }
  const TapState next = TapNext(state_, tms);
  if (scanning_) {
    state_ = next;
    exitPath_.push_back(next);
    if (IsStable(next))
      EndScan(next);
    else if (IsShift(next) || exitPath_.size() > 16)
      throw SvfError("two scans follow each other without a stable state between them (" + Names(exitPath_) +
                     "); SVF cannot express that");
    return;
  }
  if (state_ == stable_ && next == state_) {
    // Clocks that stay in a stable state; a wait before them is written first, in order.
    if (pendingWait_ > 0) FlushRun();
    ++runClocks_;
    return;
  }
  if (state_ == stable_) FlushRun();
  state_ = next;
  path_.push_back(next);
  if (IsShift(next))
    BeginScan(next);
  else if (IsStable(next))
    Arrive(next);
  else if (path_.size() > 64)
    throw SvfError("the controller wanders through " + std::to_string(path_.size()) +
                   " states without reaching a stable one");
}

void SvfWriter::Arrive(TapState s) {
  // Reaching Test-Logic-Reset by TMS-high clocks alone is what STATE RESET does from anywhere.
  const bool onlyHigh = std::all_of(path_.begin(), path_.end(), [](TapState p) {
    return p == TapState::SelectDR || p == TapState::SelectIR || p == TapState::TestLogicReset;
  });
  if (s == TapState::TestLogicReset && onlyHigh)
    Line("STATE RESET;");
  else if (path_ == StandardPath(stable_, s))
    Line("STATE " + std::string(TapStateName(s)) + ";");
  else
    Line("STATE " + Names(path_) + ";");
  stable_ = s;
  path_.clear();
}

void SvfWriter::FlushRun() {
  if ((!runClocks_ && pendingWait_ <= 0) || stable_ == TapState::Undefined) return;
  std::string text = "RUNTEST " + std::string(TapStateName(stable_));
  if (runClocks_) text += " " + std::to_string(runClocks_) + " TCK";
  if (pendingWait_ > 0) {
    char t[48];
    std::snprintf(t, sizeof t, " %.6E SEC", pendingWait_);
    text += t;
    stats_.waitSeconds += pendingWait_;
  }
  Line(text + ";");
  runClocks_ = 0;
  pendingWait_ = 0;
}

void SvfWriter::BeginScan(TapState shift) {
  // SIR and SDR walk the standard path from the stable state they start in.
  if (path_ != StandardPath(stable_, shift))
    throw SvfError("the walk " + std::string(TapStateName(stable_)) + " " + Names(path_) +
                   " into a scan is not the one SIR/SDR take; SVF cannot express it");
  scanning_ = true;
  scanIsIr_ = shift == TapState::ShiftIR;
  bits_->Clear();
  word_ = 0;
  used_ = 0;
  checks_.clear();
  exitPath_.clear();
  path_.clear();
}

void SvfWriter::Header(int which, std::uint64_t length, std::uint64_t from) {
  Pattern p;
  p.length = length;
  for (std::uint64_t k = 0; k < length; k += 64)
    p.words.push_back(bits_->BitsAt(from + k) & Mask(length - k));
  if (p == written_[which]) return;
  written_[which] = p;
  std::string saved;
  saved.swap(buffer_);
  buffer_ = kHeaderNames[which];
  buffer_ += " " + std::to_string(length);
  if (length) HexField(" TDI", length, [&p](std::uint64_t j) { return p.words[static_cast<std::size_t>(j)]; });
  std::string line;
  line.swap(buffer_);
  buffer_.swap(saved);
  Line(line + ";");
}

template <class WordOf>
void SvfWriter::HexField(const char* label, std::uint64_t length, WordOf&& word) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  buffer_ += label;
  buffer_ += " (";
  const std::uint64_t words = (length + 63) / 64;
  // Leading zeros may be left out; find the top digit that is not one.
  std::uint64_t top = 0;
  bool any = false;
  for (std::uint64_t j = words; j-- > 0;) {
    const std::uint64_t w = word(j);
    if (w) {
      top = 16 * j + static_cast<std::uint64_t>(63 - std::countl_zero(w)) / 4;
      any = true;
      break;
    }
  }
  if (!any) {
    buffer_ += "0)";
    return;
  }
  const bool lines = top + 1 > kDigitsPerLine;
  if (lines) buffer_ += '\n';
  for (std::uint64_t j = top / 16 + 1; j-- > 0;) {
    const std::uint64_t w = word(j);
    for (int d = j == top / 16 ? static_cast<int>(top % 16) : 15; d >= 0; --d) {
      const std::uint64_t k = 16 * j + static_cast<std::uint64_t>(d);
      if (lines && k % kDigitsPerLine == kDigitsPerLine - 1 && k != top) buffer_ += '\n';
      buffer_ += kHex[(w >> (4 * d)) & 15];
    }
    if (buffer_.size() >= (1u << 20)) {
      out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
      stats_.bytes += buffer_.size();
      buffer_.clear();
    }
  }
  buffer_ += ')';
}

void SvfWriter::EndScan(TapState end) {
  const TapState exit1 = exitPath_.front();
  const std::vector<TapState> standard = StandardPath(exit1, end);
  if (standard.size() + 1 != exitPath_.size() || !std::equal(standard.begin(), standard.end(), exitPath_.begin() + 1))
    throw SvfError("the way out of a scan, " + Names(exitPath_) + ", is not the one SIR/SDR take to " +
                   std::string(TapStateName(end)));
  if (used_) bits_->Append(word_);
  const std::uint64_t total = 64 * (bits_->Words() - (used_ ? 1 : 0)) + static_cast<std::uint64_t>(used_);
  word_ = 0;
  used_ = 0;
  stats_.clocks += total;

  // Header and trailer: the other devices' share of the scan, unless a check falls in it or the
  // scan is too short to have one (then the whole scan is the body).
  const int hi = scanIsIr_ ? 0 : 2;
  std::uint64_t h = headerBits_[hi], t = headerBits_[hi + 1];
  if (h + t >= total) h = t = 0;
  for (const auto& [index, level] : checks_) {
    if (index < h) h = 0;
    if (index >= total - t) t = 0;
  }
  Header(hi, h, 0);
  Header(hi + 1, t, total - t);
  TapState& endState = scanIsIr_ ? endIr_ : endDr_;
  if (end != endState) {
    endState = end;
    Line(std::string(scanIsIr_ ? "ENDIR " : "ENDDR ") + std::string(TapStateName(end)) + ";");
  }

  const std::uint64_t length = total - h - t;
  buffer_ += scanIsIr_ ? "SIR " : "SDR ";
  buffer_ += std::to_string(length);
  HexField(" TDI", length, [&](std::uint64_t j) { return bits_->BitsAt(h + 64 * j) & Mask(length - 64 * j); });
  if (!checks_.empty()) {
    std::map<std::uint64_t, std::pair<std::uint64_t, std::uint64_t>> words;  // word: TDO, MASK
    for (const auto& [index, level] : checks_) {
      const std::uint64_t b = index - h;
      auto& [tdo, mask] = words[b / 64];
      const std::uint64_t bit = 1ull << (b % 64);
      mask |= bit;
      tdo = level ? tdo | bit : tdo & ~bit;
    }
    stats_.checkedBits += checks_.size();
    auto field = [&words](std::uint64_t j, bool wantMask) {
      const auto it = words.find(j);
      return it == words.end() ? 0 : (wantMask ? it->second.second : it->second.first);
    };
    HexField(" TDO", length, [&](std::uint64_t j) { return field(j, false); });
    HexField(" MASK", length, [&](std::uint64_t j) { return field(j, true); });
  }
  Line(";");
  ++stats_.scans;
  stats_.longestScan = std::max(stats_.longestScan, length);

  scanning_ = false;
  checks_.clear();
  exitPath_.clear();
  bits_->Clear();
  stable_ = end;
  path_.clear();
}

void SvfWriter::Finish() {
  if (scanning_ && IsShift(state_) && bits_->Words() == 0 && used_ == 0) {
    // Left in a Shift state before the first bit (a read given up before it began): SVF has
    // no stable state there, so the file stops next door, in the Pause state, which has the
    // same effect: the register captured, nothing shifted or updated.
    const bool ir = state_ == TapState::ShiftIR;
    std::vector<TapState> path = StandardPath(stable_, state_);
    path.back() = ir ? TapState::Exit1IR : TapState::Exit1DR;
    path.push_back(ir ? TapState::PauseIR : TapState::PauseDR);
    Comment(std::string("The recording stops in ") + std::string(TapStateName(state_)) + "; the file stops in " +
            std::string(TapStateName(path.back())) + ".");
    Line("STATE " + Names(path) + ";");
    scanning_ = false;
    state_ = stable_ = path.back();
    stats_.clocks += 2;
  }
  if (scanning_)
    throw SvfError("the recording ends inside a scan (" + std::string(TapStateName(state_)) + ")");
  if (state_ != TapState::Undefined && state_ != stable_)
    throw SvfError("the recording ends between stable states (in " + std::string(TapStateName(state_)) + ")");
  FlushRun();
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  stats_.bytes += buffer_.size();
  buffer_.clear();
  out_.flush();
  if (!out_) throw SvfError("cannot write the SVF file (disk full?)");
}

}  // namespace s4::sim
