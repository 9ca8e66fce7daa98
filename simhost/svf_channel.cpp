#include "simhost/svf_channel.h"

#include <stdexcept>

#include "platform/variant.h"
#include "simhost/sim_jtag_channel.h"

namespace s4::sim {

namespace {

TapState StateArg(std::int32_t v) {
  if (v < 1 || v > 16) throw std::runtime_error("TAP state " + std::to_string(v) + " is not one of 1..16");
  return static_cast<TapState>(v);
}

}  // namespace

ComPtr<SvfChannel> SvfChannel::Make(std::ostream& out, SvfChainLayout chain, Options options) {
  return ComPtr<SvfChannel>::Adopt(new SvfChannel(out, std::move(chain), std::move(options)));
}

SvfChannel::SvfChannel(std::ostream& out, SvfChainLayout chain, Options options)
    : writer_(out, chain, options.spoolDir), irLengths_(chain.irLengths), options_(std::move(options)) {}

SvfChannel::~SvfChannel() = default;

void SvfChannel::Arrive() {
  if (!timing_) return;
  const auto gap = std::chrono::steady_clock::now() - last_;
  if (gap >= options_.minimumWait)
    writer_.Wait(static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(gap).count()) / 1000.0);
}

void SvfChannel::Leave() {
  last_ = std::chrono::steady_clock::now();
  timing_ = true;
}

// ---- Channel operations, as the simulated host's channel carries them out ---------------------

void SvfChannel::Walk(TapState from, TapState to) {
  const TmsPath path = TapPath(from, to);
  for (int k = 0; k < path.length; ++k) writer_.Clock(path.tms[k], drivenTdi_);
  if (path.length) {
    drivenTms_ = tms_ = path.tms[path.length - 1];
    drivenTck_ = tck_ = false;
  }
}

// Shifts `tdi` (the last bit leaving the Shift state) and walks on to Run-Test/Idle; bits
// [readFrom, readFrom + readBits) are the ones the caller reads.
void SvfChannel::ShiftWhole(const std::vector<bool>& tdi, std::size_t readFrom, int readBits, std::uint32_t expected,
                            bool check) {
  for (std::size_t k = 0; k < tdi.size(); ++k) {
    if (check && k >= readFrom && k < readFrom + static_cast<std::size_t>(readBits))
      writer_.CheckTdo(((expected >> (k - readFrom)) & 1u) != 0);
    writer_.Clock(k + 1 == tdi.size(), tdi[k]);
  }
  writer_.Clock(true, tdi.back());   // Exit1 -> Update
  writer_.Clock(false, tdi.back());  // Update -> Run-Test/Idle
  drivenTdi_ = tdi_ = tdi.back();
  drivenTms_ = tms_ = false;
  drivenTck_ = tck_ = false;
}

void SvfChannel::SetInstruction(std::uint32_t instruction, int device) {
  const int n = static_cast<int>(irLengths_.size());
  if (device < 0 || device >= n)
    throw std::runtime_error("device " + std::to_string(device) + " is not on the chain of " + std::to_string(n));
  Walk(writer_.State(), TapState::ShiftIR);
  // The TDO-end device's register is shifted first; the others get BYPASS (all ones).
  std::vector<bool> tdi;
  for (int d = n - 1; d >= 0; --d)
    for (int b = 0; b < irLengths_[static_cast<std::size_t>(d)]; ++b)
      tdi.push_back(d == device ? ((instruction >> b) & 1u) != 0 : true);
  ShiftWhole(tdi, 0, 0, 0, false);
}

std::uint32_t SvfChannel::ShiftData(std::uint32_t value, int bits, int device) {
  const int n = static_cast<int>(irLengths_.size());
  if (device < 0 || device >= n)
    throw std::runtime_error("device " + std::to_string(device) + " is not on the chain of " + std::to_string(n));
  if (bits < 1 || bits > 32) throw std::runtime_error("cannot shift " + std::to_string(bits) + " bits");
  Walk(writer_.State(), TapState::ShiftDR);
  // One BYPASS bit for each other device: those nearer TDO come out first.
  const int after = n - 1 - device;
  std::vector<bool> tdi;
  for (int k = 0; k < after; ++k) tdi.push_back(false);
  for (int b = 0; b < bits; ++b) tdi.push_back(((value >> b) & 1u) != 0);
  for (int k = 0; k < device; ++k) tdi.push_back(false);
  const std::uint32_t answer = expect_.shifted.value_or(options_.assumedShift);
  ShiftWhole(tdi, static_cast<std::size_t>(after), bits, answer, expect_.shifted.has_value());
  return bits == 32 ? answer : answer & ((1u << bits) - 1);
}

// ---- IUnknown / IDispatch ------------------------------------------------------------------

HRESULT SvfChannel::QueryInterface(REFIID iid, void** out) {
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

ULONG SvfChannel::AddRef() { return static_cast<ULONG>(++refs_); }

ULONG SvfChannel::Release() {
  const long r = --refs_;
  if (r == 0) delete this;
  return static_cast<ULONG>(r);
}

HRESULT SvfChannel::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
HRESULT SvfChannel::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT SvfChannel::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT SvfChannel::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                           UINT* argErr) {
  using namespace channel_id;
  std::int32_t args[3] = {};
  if (const HRESULT hr = ReadArguments(id, params, argErr, args); FAILED(hr)) return hr;
  if (id != kOpen && id != kClose && !Admit()) {
    lastError_ = "the channel was used while closed";
    return E_FAIL;
  }
  try {
    Arrive();
    Variant answer;
    switch (id) {
      case kOpen:
        open_ = true;
        answer = Variant(true);
        break;
      case kClose:
        open_ = false;
        break;
      case kGetDeviceCount: answer = Variant(static_cast<std::int32_t>(irLengths_.size())); break;
      case kPrepare:
        tck_ = tms_ = tdi_ = false;
        drivenTck_ = drivenTms_ = drivenTdi_ = false;
        break;
      case kShiftData:
        answer = Variant(static_cast<std::int32_t>(ShiftData(static_cast<std::uint32_t>(args[0]), args[1], args[2])));
        break;
      case kSetInstruction: SetInstruction(static_cast<std::uint32_t>(args[0]), args[1]); break;
      case kMoveState: Walk(StateArg(args[0]), StateArg(args[1])); break;
      case kGotoState: Walk(writer_.State(), StateArg(args[0])); break;
      case kClockTMS:
        writer_.Clock(args[0] != 0, drivenTdi_);
        drivenTms_ = tms_ = args[0] != 0;
        drivenTck_ = tck_ = false;
        break;
      default: break;
    }
    if (id == kClose)
      timing_ = false;  // the time between sequences is the caller's, not a wait
    else
      Leave();
    if (result) *result = answer.detach();
    return S_OK;
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return E_FAIL;
  }
}

// ---- Pin-level interface -------------------------------------------------------------------

HRESULT SvfChannel::SetTCK(bool level) {
  if (!Admit()) return E_FAIL;
  tck_ = level;
  return S_OK;
}
HRESULT SvfChannel::SetTDI(bool level) {
  if (!Admit()) return E_FAIL;
  tdi_ = level;
  return S_OK;
}
HRESULT SvfChannel::SetTMS(bool level) {
  if (!Admit()) return E_FAIL;
  tms_ = level;
  return S_OK;
}

HRESULT SvfChannel::Apply() {
  if (!Admit()) return E_FAIL;
  try {
    if (writer_.InShiftDr()) [[likely]] {
      // Bits of a data scan come one every few calls; the gaps between them are no waits.
      timing_ = false;
      if (tck_ && !drivenTck_) writer_.Clock(tms_, tdi_);
    } else {
      Arrive();
      if (tck_ && !drivenTck_) writer_.Clock(tms_, tdi_);
      Leave();
    }
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return E_FAIL;
  }
  drivenTck_ = tck_;
  drivenTms_ = tms_;
  drivenTdi_ = tdi_;
  return S_OK;
}

HRESULT SvfChannel::Sample() {
  if (!Admit()) return E_FAIL;
  Arrive();
  const TapState s = writer_.State();
  if (s == TapState::ShiftDR || s == TapState::ShiftIR) {
    if (expect_.tdo) writer_.CheckTdo(*expect_.tdo);
    sampledTdo_ = expect_.tdo.value_or(options_.assumedTdo);
  } else {
    sampledTdo_ = true;  // nothing drives TDO outside the Shift states; it is pulled up
  }
  Leave();
  return S_OK;
}

HRESULT SvfChannel::GetTDO(bool* level) {
  if (!level) return E_POINTER;
  if (!Admit()) return E_FAIL;
  *level = sampledTdo_;
  return S_OK;
}

HRESULT SvfChannel::GetTCK(bool* level) {
  if (!level) return E_POINTER;
  *level = drivenTck_;
  return S_OK;
}
HRESULT SvfChannel::GetTMS(bool* level) {
  if (!level) return E_POINTER;
  *level = drivenTms_;
  return S_OK;
}
HRESULT SvfChannel::GetTDI(bool* level) {
  if (!level) return E_POINTER;
  *level = drivenTdi_;
  return S_OK;
}
HRESULT SvfChannel::GetTRST(bool* level) {
  if (!level) return E_POINTER;
  *level = false;
  return S_OK;
}
HRESULT SvfChannel::SetTRST(bool level) {
  // The simulated host resets every controller by five TMS-high clocks instead of a TRST line;
  // the file does the same, so it also suits chains without TRST.
  if (!level) return S_OK;
  if (!Admit()) return E_FAIL;
  try {
    Walk(TapState::Undefined, TapState::TestLogicReset);
  } catch (const std::exception& e) {
    lastError_ = e.what();
    return E_FAIL;
  }
  return S_OK;
}
HRESULT SvfChannel::GetLineCount(int* count) {
  if (!count) return E_POINTER;
  *count = 5;
  return S_OK;
}

}  // namespace s4::sim
