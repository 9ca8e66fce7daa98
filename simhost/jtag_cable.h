// What drives the JTAG lines of a simulated host's channel: the simulated chain in this
// process, or a remote cable reached over the network (XVC).
#pragma once

#include <cstdint>
#include <vector>

#include "simhost/jtag_chain.h"

namespace s4::sim {

class JtagCable {
 public:
  virtual ~JtagCable() = default;
  // One TCK cycle with TMS and TDI at these levels; TDO is not needed.
  virtual void Clock(bool tms, bool tdi) = 0;
  // tms.size() cycles; tdo[i] is TDO as sampled at the rising edge of cycle i.
  virtual void Scan(const std::vector<bool>& tms, const std::vector<bool>& tdi, std::vector<bool>& tdo) = 0;
  // The TDO level now, with the controller in `state`. A cable that sees TDO only while
  // clocking may spend one cycle (TMS low) to read it in a Shift state.
  virtual bool ReadTdo(TapState state) = 0;
  // Sends whatever is buffered.
  virtual void Flush() {}
};

// The simulated chain of this process.
class ChainCable final : public JtagCable {
 public:
  explicit ChainCable(JtagChain& chain) : chain_(chain) {}
  void Clock(bool tms, bool tdi) override { chain_.Step(tms, tdi); }
  void Scan(const std::vector<bool>& tms, const std::vector<bool>& tdi, std::vector<bool>& tdo) override {
    tdo.resize(tms.size());
    for (std::size_t i = 0; i < tms.size(); ++i) tdo[i] = chain_.Clock(tms[i], tdi[i]);
  }
  bool ReadTdo(TapState) override { return chain_.Tdo(); }
  JtagChain& chain() { return chain_; }

 private:
  JtagChain& chain_;
};

}  // namespace s4::sim
