// A simulated JTAG chain: devices in a row between TDI and TDO, all driven by the same TCK and
// TMS, each with its own instruction register. Device 0 sits at the TDI end, so data shifted
// into device i first passes through the registers of devices 0..i-1.
//
//   JtagChain chain;
//   auto& fpga = chain.Add(std::make_unique<FamilyDevice>(FamilyDeviceSpec::ForBaseName("EP4SGX70D", id)));
//   bool tdo = chain.Clock(/*tms*/ false, /*tdi*/ true);
//
// Actions follow IEEE 1149.1: capture and shift happen on the rising edge in the Capture and
// Shift states (also on the edge that leaves Shift), updates when Update is entered, and the
// instruction falls back to IDCODE (or BYPASS) whenever Test-Logic-Reset is reached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simhost/tap.h"

namespace s4::sim {

// Bits appended one at a time and kept packed, bit 0 of byte 0 first; a received bitstream of
// the largest devices is a quarter of a gigabit, so one byte per bit would not do.
class BitRecord {
 public:
  void Push(bool b) {
    if ((count_ & 7) == 0) bytes_.push_back(0);
    if (b) bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (1u << (count_ & 7)));
    ++count_;
  }
  void Clear() {
    bytes_.clear();
    count_ = 0;
  }
  std::size_t size() const { return count_; }
  bool operator[](std::size_t i) const { return (bytes_[i >> 3] >> (i & 7)) & 1u; }
  // True when bits [offset, offset + 8 * bytes.size()) are the bytes' bits, least significant first.
  bool HoldsBytesAt(std::size_t offset, const std::vector<std::uint8_t>& bytes) const;
  // True when every bit in [from, to) is `value`.
  bool AllAt(std::size_t from, std::size_t to, bool value) const;
  // The bits [from, to) as '0'/'1' text, for failure messages.
  std::string Text(std::size_t from, std::size_t to) const;

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t count_ = 0;
};

// One device on the chain. The chain calls these on the edges described above.
class TapDevice {
 public:
  virtual ~TapDevice() = default;
  virtual int IrLength() const = 0;
  // The code its IDCODE register captures; 0 for a device without one.
  virtual std::uint32_t IdCode() const = 0;
  // The instruction register's content once Update-IR has been entered.
  std::uint32_t Instruction() const { return instruction_; }

  virtual void Reset();
  void CaptureIR();
  bool ShiftIR(bool tdi);
  void UpdateIR();
  virtual void CaptureDR() = 0;
  // Shifts one bit in at the TDI side and answers the bit that leaves at the TDO side.
  virtual bool ShiftDR(bool tdi) = 0;
  virtual void UpdateDR() {}
  // The bit the device presents on its TDO while shifting.
  bool TdoIR() const { return irShift_ & 1u; }
  virtual bool TdoDR() const = 0;
  // One clock spent in Run-Test/Idle.
  virtual void IdleClock() {}

 protected:
  std::uint32_t BypassCode() const { return (1u << IrLength()) - 1; }
  virtual void InstructionLoaded() {}
  // What IR capture loads: ...01 at the TDO end, as the standard asks.
  virtual std::uint32_t IrCaptureValue() const { return 1; }
  // The instruction selected by Test-Logic-Reset.
  virtual std::uint32_t ResetInstruction() const = 0;

  std::uint32_t instruction_ = 0;
  std::uint32_t irShift_ = 0;
};

// A device answering only BYPASS and IDCODE (when it has an IDCODE instruction).
class GenericDevice : public TapDevice {
 public:
  // idcodeInstruction < 0: the device has no IDCODE register and resets into BYPASS.
  GenericDevice(int irLength, std::uint32_t idCode, int idcodeInstruction);
  int IrLength() const override { return irLength_; }
  std::uint32_t IdCode() const override { return idcodeInstruction_ >= 0 ? idCode_ : 0; }
  void CaptureDR() override;
  bool ShiftDR(bool tdi) override;
  bool TdoDR() const override { return dr_ & 1u; }

 protected:
  std::uint32_t ResetInstruction() const override;

 private:
  int irLength_;
  std::uint32_t idCode_;
  int idcodeInstruction_;
  int drLength_ = 1;
  std::uint64_t dr_ = 0;
};

// Instruction codes of the family's 10-bit instruction register.
namespace family_ir {
inline constexpr std::uint32_t kProgram = 0x002;
inline constexpr std::uint32_t kStartup = 0x003;
inline constexpr std::uint32_t kCheckStatus = 0x004;
inline constexpr std::uint32_t kSample = 0x005;
inline constexpr std::uint32_t kIdcode = 0x006;
inline constexpr std::uint32_t kUsercode = 0x007;
inline constexpr std::uint32_t kActiveDisengage = 0x2D0;
inline constexpr std::uint32_t kBypass = 0x3FF;
}  // namespace family_ir

// How one family device is built.
struct FamilyDeviceSpec {
  std::uint32_t idCode = 0;
  // CONF_DONE's bit in the CHECK_STATUS register, counted from 0 at the TDO end, and the
  // register's length.
  int confDoneBit = 1;
  int statusLength = 3;
  // The device's CHECK_STATUS layout for a base device name (ignoring case). The position
  // is 3 x (N - K) + 1 for the rows the silicon documents; other base names get a short
  // register with CONF_DONE at bit 1, which no reader is expected to rely on.
  static FamilyDeviceSpec ForBaseName(std::string_view baseName, std::uint32_t idCode);
};

// A device of the Stratix IV family (10-bit instruction register).
class FamilyDevice : public TapDevice {
 public:
  explicit FamilyDevice(const FamilyDeviceSpec& spec);
  int IrLength() const override { return 10; }
  std::uint32_t IdCode() const override { return spec_.idCode; }
  void Reset() override;
  void CaptureDR() override;
  bool ShiftDR(bool tdi) override;
  bool TdoDR() const override;

  // Configuration state.
  bool ConfDone() const { return confDone_; }
  void SetConfDone(bool on) { confDone_ = on; }
  std::uint32_t UserCode() const { return userCode_; }
  void SetUserCode(std::uint32_t code) { userCode_ = code; }
  // The pin levels SAMPLE captures, boundary cell 0 (the TDO end) first.
  void SetPinValues(std::vector<bool> values) { pins_ = std::move(values); }

  // Every bit shifted into the device in Shift-DR while PROGRAM was its instruction, since
  // PROGRAM was last loaded.
  const BitRecord& Received() const { return received_; }
  // How many of the received bits are configuration clocks before the image (the device
  // ignores them). Default 0.
  void SetConfigurationClocks(std::size_t n) { configurationClocks_ = n; }
  std::size_t ConfigurationClocks() const { return configurationClocks_; }
  std::size_t BitstreamLength() const {
    return received_.size() > configurationClocks_ ? received_.size() - configurationClocks_ : 0;
  }
  // With an expected image, STARTUP raises CONF_DONE only when the bitstream (the received
  // bits after the configuration clocks) starts with exactly these bytes' bits, least
  // significant bit of each byte first; without one, any non-empty bitstream will do. Bits
  // after the image are clocks for the start-up and are ignored.
  void SetExpectedImage(std::vector<std::uint8_t> bytes) { expected_ = std::move(bytes); }
  bool BitstreamIsImage() const;

  // How often each instruction has been loaded (by Update-IR).
  int LoadCount(std::uint32_t instruction) const;
  // Clocks spent in Run-Test/Idle since STARTUP was last loaded.
  std::uint64_t StartupIdleClocks() const { return startupIdleClocks_; }
  void IdleClock() override;

 protected:
  void InstructionLoaded() override;
  std::uint32_t IrCaptureValue() const override { return 0x155; }
  std::uint32_t ResetInstruction() const override { return family_ir::kIdcode; }

 private:
  // The selected data register when it is longer than 64 bits (CHECK_STATUS, SAMPLE), kept
  // as a ring: longDr_[longPos_] is the bit at the TDO end.
  std::vector<bool> longDr_;
  std::size_t longPos_ = 0;
  std::uint64_t dr_ = 0;
  int drLength_ = 1;
  bool programSink_ = false;  // PROGRAM selects the configuration data register

  FamilyDeviceSpec spec_;
  bool confDone_ = false;
  std::uint32_t userCode_ = 0xFFFFFFFF;
  std::vector<bool> pins_;
  BitRecord received_;
  std::size_t configurationClocks_ = 0;
  std::optional<std::vector<std::uint8_t>> expected_;
  std::vector<std::pair<std::uint32_t, int>> loads_;
  std::uint64_t startupIdleClocks_ = 0;
};

class JtagChain {
 public:
  JtagChain() = default;
  JtagChain(const JtagChain&) = delete;
  JtagChain& operator=(const JtagChain&) = delete;

  template <class D>
  D& Add(std::unique_ptr<D> device) {
    D& ref = *device;
    devices_.push_back(std::move(device));
    return ref;
  }
  std::size_t size() const { return devices_.size(); }
  TapDevice& Device(std::size_t i) { return *devices_[i]; }
  const TapDevice& Device(std::size_t i) const { return *devices_[i]; }

  TapState State() const { return state_; }
  // The level on TDO now: the TDO-end device's register bit in a Shift state, else high
  // (an undriven TDO is pulled up).
  bool Tdo() const;
  // One TCK cycle with the given TMS and TDI; answers TDO as it was before the rising edge
  // (which is what a cable samples).
  bool Clock(bool tms, bool tdi) {
    const bool tdo = Tdo();
    Step(tms, tdi);
    return tdo;
  }
  // The same without looking at TDO. Staying in Shift-DR is by far the most common cycle
  // (a configuration image is hundreds of megabits), so it takes the short way.
  void Step(bool tms, bool tdi) {
    if (state_ == TapState::ShiftDR && !tms) {
      ++clocks_;
      for (auto& d : devices_) tdi = d->ShiftDR(tdi);
      return;
    }
    SlowStep(tms, tdi);
  }
  // Rising edges seen so far.
  std::uint64_t Clocks() const { return clocks_; }

 private:
  void SlowStep(bool tms, bool tdi);

  std::vector<std::unique_ptr<TapDevice>> devices_;
  TapState state_ = TapState::TestLogicReset;
  std::uint64_t clocks_ = 0;
};

}  // namespace s4::sim
