// A host JTAG channel that drives no cable but records: the channel operations (by DISPID) and
// the pin-level interface (IJTagPinAccess) behave as the simulated host's channel does, and
// every clock they make goes into an SvfWriter. What the module sends is what the file holds,
// so any SVF player can later run the same sequence on real hardware.
//
//   std::ofstream out("design.svf", std::ios::binary);
//   auto channel = SvfChannel::Make(out, {{10}, 0});
//   channel->Expect({.tdo = true});      // reads of CONF_DONE must find it high
//   ... hand channel->dispatch() to the host device, run the driver's operations ...
//   channel->Finish();
//
// The module cannot be asked what it reads back, so reads are answered from expectations: a
// pin-level TDO read (Sample/GetTDO in a Shift state) and a ShiftData capture. With an
// expectation the file makes the player check the bits (TDO/MASK) and the module is answered
// with the expected value; without one the module gets the assumed value and nothing is checked.
//
// Waits are not channel calls: the module waits between them. The channel times the gaps
// between its calls while it is open, and a gap of at least `minimumWait` in a stable state
// becomes RUNTEST ... SEC (rounded down to whole milliseconds, so never shorter than the wait).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <ostream>
#include <vector>

#include "host/host_dispids.h"
#include "platform/com_ptr.h"
#include "simhost/jtag_pins.h"
#include "simhost/svf_writer.h"

namespace s4::sim {

struct SvfExpectations {
  std::optional<bool> tdo;               // a pin-level TDO read
  std::optional<std::uint32_t> shifted;  // the bits ShiftData captures
};

class SvfChannel final : public IDispatch, public IJTagPinAccess {
 public:
  struct Options {
    std::filesystem::path spoolDir;  // for long scans (default: the temporary folder)
    std::chrono::milliseconds minimumWait{5};
    bool assumedTdo = true;
    std::uint32_t assumedShift = 0xFFFFFFFFu;
  };
  static ComPtr<SvfChannel> Make(std::ostream& out, SvfChainLayout chain, Options options);
  static ComPtr<SvfChannel> Make(std::ostream& out, SvfChainLayout chain) { return Make(out, std::move(chain), Options{}); }

  IDispatch* dispatch() { return static_cast<IDispatch*>(this); }
  SvfWriter& writer() { return writer_; }
  void Expect(SvfExpectations e) { expect_ = e; }
  // Ends the file (see SvfWriter::Finish).
  void Finish() { writer_.Finish(); }
  bool IsOpen() const { return open_; }
  int CallsWhileClosed() const { return closedCalls_; }
  // Why the last call answered E_FAIL (empty when none did).
  const std::string& LastError() const { return lastError_; }

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
  SvfChannel(std::ostream& out, SvfChainLayout chain, Options options);
  ~SvfChannel();
  bool Admit() {
    if (open_) [[likely]]
      return true;
    ++closedCalls_;
    return false;
  }
  // Timing of the gaps between calls: Arrive at the start of a call, Leave at its end.
  void Arrive();
  void Leave();
  void Walk(TapState from, TapState to);
  void ShiftWhole(const std::vector<bool>& tdi, std::size_t readFrom, int readBits, std::uint32_t expected,
                  bool check);
  std::uint32_t ShiftData(std::uint32_t value, int bits, int device);
  void SetInstruction(std::uint32_t instruction, int device);

  SvfWriter writer_;
  std::vector<int> irLengths_;
  Options options_;
  SvfExpectations expect_;
  bool tck_ = false, tms_ = false, tdi_ = false;
  bool drivenTck_ = false, drivenTms_ = false, drivenTdi_ = false;
  bool sampledTdo_ = true;
  bool open_ = false;
  int closedCalls_ = 0;
  std::string lastError_;
  bool timing_ = false;
  std::chrono::steady_clock::time_point last_{};
  long refs_ = 1;
};

}  // namespace s4::sim
