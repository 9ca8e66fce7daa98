// The simulated host's JTAG channel: the channel object the host device hands the module
// (operations by DISPID) together with its pin-level interface (IJTagPinAccess, reached by
// QueryInterface). Both drive the same cable, so bits the module bit-bangs through the pins
// and instructions it loads through the channel reach the same simulated devices.
//
//   JtagChain chain; ... add devices ...
//   auto channel = SimJtagChannel::Make(std::make_unique<ChainCable>(chain), {10});
//   channel->EnableTrace();            // record every call as text (small runs only)
//   channel->FailCall(1234);           // the 1234th call answers E_FAIL
//
// The channel must be open (Open) for every other call; a call while it is closed answers
// E_FAIL and is counted, because the host refuses a channel nobody has taken. The channel
// tracks the controller's state from the clocks it sends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/host_dispids.h"
#include "platform/com_ptr.h"
#include "simhost/jtag_cable.h"
#include "simhost/jtag_pins.h"

namespace s4::sim {

namespace channel_id {
namespace op = hostid::IDispJTagChannel;
inline constexpr DISPID kOpen = op::Open;
inline constexpr DISPID kClose = op::Close;
inline constexpr DISPID kGetDeviceCount = op::GetDeviceCount;
inline constexpr DISPID kPrepare = op::PrepareProgramming;  // drives all three lines low, without a clock
inline constexpr DISPID kShiftData = op::ShiftData;
inline constexpr DISPID kSetInstruction = op::SetInstruction;
inline constexpr DISPID kMoveState = op::MoveState;
inline constexpr DISPID kGotoState = op::GotoState;
inline constexpr DISPID kClockTMS = op::ClockTMS;

// Reads the integer arguments of one channel operation into args, in call order. Answers
// S_OK, E_NOTIMPL for an operation channels do not have, DISP_E_BADPARAMCOUNT, or
// DISP_E_TYPEMISMATCH with *argErr at the argument. Every channel of the simulated host
// (the simulated chain, the SVF recording) takes its calls through this one reading.
HRESULT ReadArguments(DISPID id, const DISPPARAMS* params, UINT* argErr, std::int32_t (&args)[3]);
}  // namespace channel_id

class SimJtagChannel final : public IDispatch, public IJTagPinAccess {
 public:
  // irLengths: the instruction-register length of each device, TDI end first (the host
  // knows its chain).
  static ComPtr<SimJtagChannel> Make(std::unique_ptr<JtagCable> cable, std::vector<int> irLengths);

  IDispatch* dispatch() { return static_cast<IDispatch*>(this); }
  JtagCable& cable() { return *cable_; }
  TapState State() const { return state_; }
  std::size_t DeviceCount() const { return irLengths_.size(); }

  // The channel operations, as the host carries them out (also used by the host's own
  // commands, for example a chain scan). Each throws std::runtime_error on a failure.
  void Open();
  void Close();
  void Prepare();
  std::uint32_t ShiftData(std::uint32_t value, int bits, int device);
  void SetInstruction(std::uint32_t instruction, int device);
  void MoveState(TapState from, TapState to);
  void GotoState(TapState to);
  void ClockTMS(bool level);
  // The most devices a chain scan tells apart (and so the most on a chain s4host works with).
  static constexpr std::size_t kMaxDevices = 32;
  // Reads the IDCODE (or 0 for a device in BYPASS after reset) of every device actually on
  // the chain (up to kMaxDevices), TDI end first. Throws std::runtime_error saying what TDO
  // showed when no device answers (all ones) or the chain never ends (stuck low, too long).
  std::vector<std::uint32_t> ScanIdCodes();

  // Recording and failure injection.
  void EnableTrace(bool on = true) { tracing_ = on; }
  const std::string& Trace() const { return trace_; }
  void ClearTrace() { trace_.clear(); }
  std::uint64_t Calls() const { return calls_; }
  void FailCall(std::uint64_t n) { failAt_ = n; }
  void FailOperation(DISPID id) { failOp_ = id; }
  int OpenCount() const { return opens_; }
  int CloseCount() const { return closes_; }
  bool IsOpen() const { return open_; }
  int CallsWhileClosed() const { return closedCalls_; }
  int CountOf(DISPID id) const;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                   UINT* argErr) override;
  // IJTagPinAccess
  HRESULT STDMETHODCALLTYPE GetTCK(bool* level) override;
  HRESULT STDMETHODCALLTYPE GetTMS(bool* level) override;
  HRESULT STDMETHODCALLTYPE SetTCK(bool level) override;
  HRESULT STDMETHODCALLTYPE GetTDI(bool* level) override;
  HRESULT STDMETHODCALLTYPE SetTDI(bool level) override;
  HRESULT STDMETHODCALLTYPE SetTMS(bool level) override;
  HRESULT STDMETHODCALLTYPE GetTRST(bool* level) override;
  HRESULT STDMETHODCALLTYPE GetTDO(bool* level) override;
  HRESULT STDMETHODCALLTYPE SetTRST(bool level) override;
  HRESULT STDMETHODCALLTYPE GetLineCount(int* count) override;
  HRESULT STDMETHODCALLTYPE Apply() override;
  HRESULT STDMETHODCALLTYPE Sample() override;

 private:
  SimJtagChannel(std::unique_ptr<JtagCable> cable, std::vector<int> irLengths);
  ~SimJtagChannel();
  // Counts a call and answers whether it may go ahead.
  bool Admit(DISPID op);
  // The same for a pin-level call, which comes once or twice per bit and so takes the
  // short way when nothing is traced or due to fail.
  bool AdmitPin(char token, bool level) {
    ++calls_;
    if (open_ && calls_ != failAt_ && !tracing_) [[likely]]
      return true;
    return AdmitPinSlow(token, level);
  }
  bool AdmitPinSlow(char token, bool level);
  void Walk(const TmsPath& path, TapState to);
  void Tick(bool tms, bool tdi);
  void Trace(const std::string& text) {
    if (tracing_) trace_ += text;
  }

  std::unique_ptr<JtagCable> cable_;
  JtagChain* chain_ = nullptr;  // the cable's chain when it is in this process
  std::vector<int> irLengths_;
  TapState state_ = TapState::Undefined;
  // Line levels set by the pin interface and the levels last driven.
  bool tck_ = false, tms_ = false, tdi_ = false;
  bool drivenTck_ = false, drivenTms_ = false, drivenTdi_ = false;
  bool sampledTdo_ = true;
  bool open_ = false;
  int opens_ = 0, closes_ = 0, closedCalls_ = 0;
  std::uint64_t calls_ = 0;
  std::uint64_t failAt_ = 0;
  DISPID failOp_ = 0;
  std::vector<std::pair<DISPID, int>> counts_;
  bool tracing_ = false;
  std::string trace_;
  long refs_ = 1;
};

}  // namespace s4::sim
