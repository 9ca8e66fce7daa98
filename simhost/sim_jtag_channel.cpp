#include "simhost/sim_jtag_channel.h"

#include <algorithm>
#include <stdexcept>

#include "platform/variant.h"

namespace s4::sim {

namespace {

struct ChannelFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

TapState StateArg(std::int32_t v) {
  if (v < 1 || v > 16) throw ChannelFailure("TAP state " + std::to_string(v) + " is not one of 1..16");
  return static_cast<TapState>(v);
}

}  // namespace

ComPtr<SimJtagChannel> SimJtagChannel::Make(std::unique_ptr<JtagCable> cable, std::vector<int> irLengths) {
  return ComPtr<SimJtagChannel>::Adopt(new SimJtagChannel(std::move(cable), std::move(irLengths)));
}

SimJtagChannel::SimJtagChannel(std::unique_ptr<JtagCable> cable, std::vector<int> irLengths)
    : cable_(std::move(cable)), irLengths_(std::move(irLengths)) {
  if (auto* local = dynamic_cast<ChainCable*>(cable_.get())) chain_ = &local->chain();
}

SimJtagChannel::~SimJtagChannel() = default;

int SimJtagChannel::CountOf(DISPID id) const {
  for (const auto& [op, n] : counts_)
    if (op == id) return n;
  return 0;
}

bool SimJtagChannel::Admit(DISPID op) {
  ++calls_;
  if (op > 0) {
    auto it = std::find_if(counts_.begin(), counts_.end(), [op](const auto& e) { return e.first == op; });
    if (it == counts_.end())
      counts_.emplace_back(op, 1);
    else
      ++it->second;
  }
  if (!open_ && op != channel_id::kOpen && op != channel_id::kClose) {
    ++closedCalls_;
    return false;
  }
  return calls_ != failAt_ && op != failOp_;
}

// ---- Channel operations ---------------------------------------------------------------------

void SimJtagChannel::Open() {
  open_ = true;
  ++opens_;
}

void SimJtagChannel::Close() {
  cable_->Flush();
  open_ = false;
  ++closes_;
}

void SimJtagChannel::Prepare() {
  tck_ = tms_ = tdi_ = false;
  drivenTck_ = drivenTms_ = drivenTdi_ = false;
}

void SimJtagChannel::Tick(bool tms, bool tdi) {
  if (chain_)
    chain_->Step(tms, tdi);
  else
    cable_->Clock(tms, tdi);
  if (state_ != TapState::ShiftDR || tms) state_ = TapNext(state_, tms);
}

void SimJtagChannel::Walk(const TmsPath& path, TapState to) {
  for (int k = 0; k < path.length; ++k) cable_->Clock(path.tms[k], drivenTdi_);
  if (path.length) {
    drivenTms_ = tms_ = path.tms[path.length - 1];
    drivenTck_ = tck_ = false;
  }
  state_ = to;
}

void SimJtagChannel::GotoState(TapState to) { Walk(TapPath(state_, to), to); }

void SimJtagChannel::MoveState(TapState from, TapState to) {
  // The caller names where the controller is; the path is walked from there.
  Walk(TapPath(from, to), to);
}

void SimJtagChannel::ClockTMS(bool level) {
  Tick(level, drivenTdi_);
  drivenTms_ = tms_ = level;
  drivenTck_ = tck_ = false;
}

void SimJtagChannel::SetInstruction(std::uint32_t instruction, int device) {
  const int n = static_cast<int>(irLengths_.size());
  if (device < 0 || device >= n)
    throw ChannelFailure("device " + std::to_string(device) + " is not on the chain of " + std::to_string(n));
  GotoState(TapState::ShiftIR);
  // The bits shifted in first travel furthest: the TDO-end device's register comes first.
  std::vector<bool> tms, tdi, tdo;
  for (int d = n - 1; d >= 0; --d)
    for (int b = 0; b < irLengths_[static_cast<std::size_t>(d)]; ++b) {
      tdi.push_back(d == device ? ((instruction >> b) & 1u) != 0 : true);
      tms.push_back(false);
    }
  tms.back() = true;  // the last bit leaves Shift-IR
  tms.push_back(true);   // Exit1-IR -> Update-IR
  tms.push_back(false);  // Update-IR -> Run-Test/Idle
  tdi.push_back(tdi.back());
  tdi.push_back(tdi.back());
  cable_->Scan(tms, tdi, tdo);
  drivenTdi_ = tdi_ = tdi.back();
  drivenTms_ = tms_ = false;
  drivenTck_ = tck_ = false;
  state_ = TapState::RunTestIdle;
}

std::uint32_t SimJtagChannel::ShiftData(std::uint32_t value, int bits, int device) {
  const int n = static_cast<int>(irLengths_.size());
  if (device < 0 || device >= n)
    throw ChannelFailure("device " + std::to_string(device) + " is not on the chain of " + std::to_string(n));
  if (bits < 1 || bits > 32) throw ChannelFailure("cannot shift " + std::to_string(bits) + " bits");
  GotoState(TapState::ShiftDR);
  // The other devices are in BYPASS, one bit each: the n-1-device bits of the devices nearer
  // TDO come out first, then the device's own register.
  const int after = n - 1 - device;
  std::vector<bool> tms, tdi, tdo;
  for (int k = 0; k < after; ++k) tdi.push_back(false);
  for (int b = 0; b < bits; ++b) tdi.push_back(((value >> b) & 1u) != 0);
  for (int k = 0; k < device; ++k) tdi.push_back(false);
  tms.assign(tdi.size(), false);
  tms.back() = true;
  tms.push_back(true);
  tms.push_back(false);
  tdi.push_back(false);
  tdi.push_back(false);
  cable_->Scan(tms, tdi, tdo);
  std::uint32_t captured = 0;
  for (int b = 0; b < bits; ++b)
    if (tdo[static_cast<std::size_t>(after + b)]) captured |= 1u << b;
  drivenTdi_ = tdi_ = false;
  drivenTms_ = tms_ = false;
  drivenTck_ = tck_ = false;
  state_ = TapState::RunTestIdle;
  return captured;
}

std::vector<std::uint32_t> SimJtagChannel::ScanIdCodes() {
  // After reset every device holds its IDCODE (32 bits, bit 0 set) or a BYPASS bit (0) in its
  // data register; shifting ones through shows them TDO end first and then 32 ones once the
  // chain has been passed, so the count does not depend on what the host was told.
  GotoState(TapState::TestLogicReset);
  GotoState(TapState::ShiftDR);
  const std::size_t n = 32 * (kMaxDevices + 1);
  std::vector<bool> tms(n, false), tdi(n, true), tdo;
  tms.back() = true;
  tms.push_back(true);
  tms.push_back(false);
  tdi.push_back(true);
  tdi.push_back(true);
  cable_->Scan(tms, tdi, tdo);
  state_ = TapState::RunTestIdle;
  drivenTck_ = tck_ = false;
  drivenTms_ = tms_ = false;
  drivenTdi_ = tdi_ = true;
  if (tdo.size() < n) throw std::runtime_error("the cable returned " + std::to_string(tdo.size()) + " of " + std::to_string(n) + " TDO bits");
  std::vector<std::uint32_t> codes;
  bool ended = false;
  for (std::size_t pos = 0; pos + 32 <= n;) {
    if (!tdo[pos]) {
      codes.push_back(0);
      pos += 1;
    } else {
      std::uint32_t code = 0;
      for (int b = 0; b < 32; ++b)
        if (tdo[pos + static_cast<std::size_t>(b)]) code |= 1u << b;
      // No IDCODE is all ones (its manufacturer code is reserved): these are our own ones.
      if (code == 0xFFFFFFFFu) {
        ended = true;
        break;
      }
      codes.push_back(code);
      pos += 32;
    }
    if (codes.size() > kMaxDevices) break;
  }
  // A chain that answers only ones or never gives our ones back is broken, not empty.
  if (ended && codes.empty())
    throw std::runtime_error("no device answered: TDO read all ones from the first bit (an open chain, no power, "
                             "or TDO not connected)");
  if (!ended) {
    const bool allZero = std::find(tdo.begin(), tdo.begin() + static_cast<std::ptrdiff_t>(n), true) ==
                         tdo.begin() + static_cast<std::ptrdiff_t>(n);
    throw std::runtime_error(allZero ? "the chain is broken: TDO read 0 for all " + std::to_string(n) +
                                           " bits (TDO stuck low)"
                                     : "the ones shifted in did not come back within " + std::to_string(kMaxDevices) +
                                           " devices: a broken chain or more than " + std::to_string(kMaxDevices) +
                                           " devices");
  }
  std::reverse(codes.begin(), codes.end());
  return codes;
}

HRESULT channel_id::ReadArguments(DISPID id, const DISPPARAMS* params, UINT* argErr, std::int32_t (&args)[3]) {
  int expected = 0;
  switch (id) {
    case kOpen: case kClose: case kGetDeviceCount: case kPrepare: expected = 0; break;
    case kGotoState: case kClockTMS: expected = 1; break;
    case kSetInstruction: case kMoveState: expected = 2; break;
    case kShiftData: expected = 3; break;
    default: return E_NOTIMPL;
  }
  const UINT given = params ? params->cArgs : 0;
  if (given != static_cast<UINT>(expected)) return DISP_E_BADPARAMCOUNT;
  // Arguments arrive reversed; args[k] is the k-th in call order.
  for (int k = 0; k < expected; ++k) {
    const UINT slot = static_cast<UINT>(expected - 1 - k);
    Variant v = Variant::Adopt(params->rgvarg[slot]);
    const HRESULT hr = v.ToInt32(args[k]);
    v.detach();  // the caller owns its argument
    if (FAILED(hr)) {
      if (argErr) *argErr = slot;
      return DISP_E_TYPEMISMATCH;
    }
  }
  return S_OK;
}

// ---- IUnknown / IDispatch ------------------------------------------------------------------

HRESULT SimJtagChannel::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
    *out = static_cast<IDispatch*>(this);
  else if (IsEqualIID(iid, IID_IJTagPinAccess))
    *out = static_cast<IJTagPinAccess*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG SimJtagChannel::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG SimJtagChannel::Release() {
  const long r = --refs_;
  if (r == 0) delete this;
  return static_cast<ULONG>(r);
}

HRESULT SimJtagChannel::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
HRESULT SimJtagChannel::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT SimJtagChannel::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT SimJtagChannel::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                               UINT* argErr) {
  using namespace channel_id;
  std::int32_t args[3] = {};
  if (const HRESULT hr = ReadArguments(id, params, argErr, args); FAILED(hr)) return hr;
  if (!Admit(id)) {
    Trace("[fail " + std::to_string(id) + "]");
    return E_FAIL;
  }
  try {
    Variant answer;
    switch (id) {
      case kOpen:
        Trace("[Open]");
        Open();
        answer = Variant(true);
        break;
      case kClose:
        Trace("[Close]");
        Close();
        break;
      case kGetDeviceCount:
        Trace("[Count]");
        answer = Variant(static_cast<std::int32_t>(irLengths_.size()));
        break;
      case kPrepare:
        Trace("[Prepare]");
        Prepare();
        break;
      case kShiftData:
        Trace("[Shift " + std::to_string(args[0]) + " " + std::to_string(args[1]) + " " + std::to_string(args[2]) + "]");
        answer = Variant(static_cast<std::int32_t>(ShiftData(static_cast<std::uint32_t>(args[0]), args[1], args[2])));
        break;
      case kSetInstruction:
        Trace("[IR " + std::to_string(args[0]) + " " + std::to_string(args[1]) + "]");
        SetInstruction(static_cast<std::uint32_t>(args[0]), args[1]);
        break;
      case kMoveState:
        Trace("[Move " + std::to_string(args[0]) + " " + std::to_string(args[1]) + "]");
        MoveState(StateArg(args[0]), StateArg(args[1]));
        break;
      case kGotoState:
        Trace("[Goto " + std::to_string(args[0]) + "]");
        GotoState(StateArg(args[0]));
        break;
      case kClockTMS:
        Trace(args[0] ? "[TMS1]" : "[TMS0]");
        ClockTMS(args[0] != 0);
        break;
      default: break;
    }
    if (result) *result = answer.detach();
    return S_OK;
  } catch (const std::exception& e) {
    Trace(std::string("[error ") + e.what() + "]");
    return E_FAIL;
  }
}

// ---- Pin-level interface -------------------------------------------------------------------
// Trace tokens: c/C SetTCK 0/1, d/D SetTDI, m/M SetTMS, A Apply, S Sample, G GetTDO.

bool SimJtagChannel::AdmitPinSlow(char token, bool level) {
  // Admit counts the call again; AdmitPin has counted it already.
  --calls_;
  if (!Admit(-1)) {
    Trace("[fail pin]");
    return false;
  }
  if (tracing_) trace_ += level && token != 'A' ? static_cast<char>(token - 'a' + 'A') : token;
  return true;
}

HRESULT SimJtagChannel::SetTCK(bool level) {
  if (!AdmitPin('c', level)) return E_FAIL;
  tck_ = level;
  return S_OK;
}
HRESULT SimJtagChannel::SetTDI(bool level) {
  if (!AdmitPin('d', level)) return E_FAIL;
  tdi_ = level;
  return S_OK;
}
HRESULT SimJtagChannel::SetTMS(bool level) {
  if (!AdmitPin('m', level)) return E_FAIL;
  tms_ = level;
  return S_OK;
}

HRESULT SimJtagChannel::Apply() {
  if (!AdmitPin('A', false)) return E_FAIL;
  if (tck_ && !drivenTck_) Tick(tms_, tdi_);
  drivenTck_ = tck_;
  drivenTms_ = tms_;
  drivenTdi_ = tdi_;
  return S_OK;
}

HRESULT SimJtagChannel::Sample() {
  if (!Admit(-1)) {
    Trace("[fail pin]");
    return E_FAIL;
  }
  if (tracing_) trace_ += 'S';
  sampledTdo_ = cable_->ReadTdo(state_);
  return S_OK;
}

HRESULT SimJtagChannel::GetTDO(bool* level) {
  if (!level) return E_POINTER;
  if (!Admit(-1)) {
    Trace("[fail pin]");
    return E_FAIL;
  }
  if (tracing_) trace_ += 'G';
  *level = sampledTdo_;
  return S_OK;
}

HRESULT SimJtagChannel::GetTCK(bool* level) {
  if (!level) return E_POINTER;
  *level = drivenTck_;
  return S_OK;
}
HRESULT SimJtagChannel::GetTMS(bool* level) {
  if (!level) return E_POINTER;
  *level = drivenTms_;
  return S_OK;
}
HRESULT SimJtagChannel::GetTDI(bool* level) {
  if (!level) return E_POINTER;
  *level = drivenTdi_;
  return S_OK;
}
HRESULT SimJtagChannel::GetTRST(bool* level) {
  if (!level) return E_POINTER;
  *level = false;
  return S_OK;
}
HRESULT SimJtagChannel::SetTRST(bool level) {
  // Asserting TRST resets every controller; the simulated cable does that by five TMS-high
  // clocks, which reach the same state.
  if (level) Walk(TapPath(TapState::Undefined, TapState::TestLogicReset), TapState::TestLogicReset);
  return S_OK;
}
HRESULT SimJtagChannel::GetLineCount(int* count) {
  if (!count) return E_POINTER;
  *count = 5;
  return S_OK;
}

}  // namespace s4::sim
