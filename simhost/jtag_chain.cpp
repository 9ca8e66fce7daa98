#include "simhost/jtag_chain.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace s4::sim {

// ---- BitRecord ------------------------------------------------------------------------------

bool BitRecord::HoldsBytesAt(std::size_t offset, const std::vector<std::uint8_t>& bytes) const {
  if (offset + 8 * bytes.size() > count_) return false;
  if ((offset & 7) == 0) return std::equal(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset >> 3));
  for (std::size_t i = 0; i < 8 * bytes.size(); ++i)
    if ((*this)[offset + i] != (((bytes[i >> 3] >> (i & 7)) & 1u) != 0)) return false;
  return true;
}

bool BitRecord::AllAt(std::size_t from, std::size_t to, bool value) const {
  if (to > count_ || from > to) return false;
  for (std::size_t i = from; i < to; ++i)
    if ((*this)[i] != value) return false;
  return true;
}

std::string BitRecord::Text(std::size_t from, std::size_t to) const {
  std::string s;
  for (std::size_t i = from; i < std::min(to, count_); ++i) s += (*this)[i] ? '1' : '0';
  return s;
}

// ---- TapDevice ------------------------------------------------------------------------------

void TapDevice::Reset() {
  instruction_ = ResetInstruction();
  InstructionLoaded();
}

void TapDevice::CaptureIR() { irShift_ = IrCaptureValue(); }

bool TapDevice::ShiftIR(bool tdi) {
  const bool out = irShift_ & 1u;
  irShift_ = (irShift_ >> 1) | (static_cast<std::uint32_t>(tdi) << (IrLength() - 1));
  return out;
}

void TapDevice::UpdateIR() {
  instruction_ = irShift_ & BypassCode();
  InstructionLoaded();
}

// ---- GenericDevice --------------------------------------------------------------------------

GenericDevice::GenericDevice(int irLength, std::uint32_t idCode, int idcodeInstruction)
    : irLength_(irLength), idCode_(idCode | 1u), idcodeInstruction_(idcodeInstruction) {
  Reset();
}

std::uint32_t GenericDevice::ResetInstruction() const {
  return idcodeInstruction_ >= 0 ? static_cast<std::uint32_t>(idcodeInstruction_) : BypassCode();
}

void GenericDevice::CaptureDR() {
  if (idcodeInstruction_ >= 0 && Instruction() == static_cast<std::uint32_t>(idcodeInstruction_)) {
    drLength_ = 32;
    dr_ = idCode_;
  } else {
    drLength_ = 1;
    dr_ = 0;
  }
}

bool GenericDevice::ShiftDR(bool tdi) {
  const bool out = dr_ & 1u;
  dr_ = (dr_ >> 1) | (static_cast<std::uint64_t>(tdi) << (drLength_ - 1));
  return out;
}

// ---- FamilyDevice ---------------------------------------------------------------------------

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Where the silicon of each base device keeps CONF_DONE in its CHECK_STATUS chain: the bit is
// 3 x (N - K) + 1 from the TDO end, with N the number of status cells and K the ones that
// precede the configuration block.
struct StatusLayout {
  std::string_view baseNames[12];
  int n;
  int k;
};
// Base devices of one die (equal boundary-scan and IOCSR lengths) share a layout; EP4SE820's
// die has none.
constexpr StatusLayout kLayouts[] = {
    {{"EP4SGX70D", "EP4SGX70H", "EP4SGX110D", "EP4SGX110F", "EP4SGX110H"}, 438, 122},
    {{"EP4SGX180D", "EP4SGX180F", "EP4SGX180H", "EP4SGX180K", "EP4SGX230D", "EP4SGX230F", "EP4SGX230H",
      "EP4SGX230K", "EP4SE230", "EP4S100G2", "EP4S40G2"},
     758,
     186},
    {{"EP4SGX290F", "EP4SGX290H", "EP4SGX290K", "EP4SGX360F", "EP4SGX360H", "EP4SGX360K", "EP4SE360"}, 894, 190},
    {{"EP4SGX290N", "EP4SGX360N", "EP4SGX530H", "EP4SGX530K", "EP4SGX530N", "EP4SE530", "EP4S100G5", "EP4S40G5",
      "EP4S100G3", "EP4S100G4"},
     990,
     238},
};

}  // namespace

FamilyDeviceSpec FamilyDeviceSpec::ForBaseName(std::string_view baseName, std::uint32_t idCode) {
  FamilyDeviceSpec spec;
  spec.idCode = idCode;
  for (const auto& layout : kLayouts)
    for (std::string_view name : layout.baseNames)
      if (!name.empty() && SameIgnoringCase(name, baseName)) {
        spec.confDoneBit = 3 * (layout.n - layout.k) + 1;
        spec.statusLength = 3 * layout.n;
        return spec;
      }
  return spec;
}

FamilyDevice::FamilyDevice(const FamilyDeviceSpec& spec) : spec_(spec) { TapDevice::Reset(); }

void FamilyDevice::Reset() { TapDevice::Reset(); }

void FamilyDevice::InstructionLoaded() {
  const std::uint32_t ir = Instruction();
  auto it = std::find_if(loads_.begin(), loads_.end(), [ir](const auto& e) { return e.first == ir; });
  if (it == loads_.end())
    loads_.emplace_back(ir, 1);
  else
    ++it->second;
  programSink_ = ir == family_ir::kProgram;
  if (ir == family_ir::kProgram) {
    // Configuration starts over: the device clears itself and waits for a new image.
    confDone_ = false;
    received_.Clear();
  } else if (ir == family_ir::kStartup) {
    startupIdleClocks_ = 0;
    if (BitstreamIsImage()) confDone_ = true;
  }
}

int FamilyDevice::LoadCount(std::uint32_t instruction) const {
  for (const auto& [ir, count] : loads_)
    if (ir == instruction) return count;
  return 0;
}

void FamilyDevice::IdleClock() {
  if (Instruction() == family_ir::kStartup) ++startupIdleClocks_;
}

bool FamilyDevice::BitstreamIsImage() const {
  const std::size_t length = BitstreamLength();
  if (!expected_) return length > 0;
  return received_.HoldsBytesAt(configurationClocks_, *expected_);
}

void FamilyDevice::CaptureDR() {
  longDr_.clear();
  longPos_ = 0;
  drLength_ = 1;
  dr_ = 0;
  switch (Instruction()) {
    case family_ir::kIdcode:
      drLength_ = 32;
      dr_ = spec_.idCode;
      break;
    case family_ir::kUsercode:
      drLength_ = 32;
      dr_ = userCode_;
      break;
    case family_ir::kCheckStatus:
      // The other status bits read as the opposite of CONF_DONE, so that a reader looking
      // at the wrong bit sees the wrong state.
      longDr_.assign(static_cast<std::size_t>(spec_.statusLength), !confDone_);
      longDr_[static_cast<std::size_t>(spec_.confDoneBit)] = confDone_;
      break;
    case family_ir::kSample:
      longDr_ = pins_.empty() ? std::vector<bool>{false} : pins_;
      break;
    default: break;
  }
}

bool FamilyDevice::ShiftDR(bool tdi) {
  if (programSink_) {
    received_.Push(tdi);
    const bool out = dr_ & 1u;
    dr_ = tdi;
    return out;
  }
  if (!longDr_.empty()) {
    const bool out = longDr_[longPos_];
    longDr_[longPos_] = tdi;
    if (++longPos_ == longDr_.size()) longPos_ = 0;
    return out;
  }
  const bool out = dr_ & 1u;
  dr_ = (dr_ >> 1) | (static_cast<std::uint64_t>(tdi) << (drLength_ - 1));
  return out;
}

bool FamilyDevice::TdoDR() const { return longDr_.empty() ? (dr_ & 1u) : longDr_[longPos_]; }

// ---- JtagChain ------------------------------------------------------------------------------

bool JtagChain::Tdo() const {
  if (devices_.empty()) return true;
  if (state_ == TapState::ShiftDR) return devices_.back()->TdoDR();
  if (state_ == TapState::ShiftIR) return devices_.back()->TdoIR();
  return true;
}

void JtagChain::SlowStep(bool tms, bool tdi) {
  ++clocks_;
  switch (state_) {
    case TapState::ShiftDR:
      for (auto& d : devices_) tdi = d->ShiftDR(tdi);
      break;
    case TapState::ShiftIR:
      for (auto& d : devices_) tdi = d->ShiftIR(tdi);
      break;
    case TapState::CaptureDR:
      for (auto& d : devices_) d->CaptureDR();
      break;
    case TapState::CaptureIR:
      for (auto& d : devices_) d->CaptureIR();
      break;
    case TapState::RunTestIdle:
      for (auto& d : devices_) d->IdleClock();
      break;
    default: break;
  }
  const TapState next = TapNext(state_, tms);
  if (next != state_) {
    state_ = next;
    if (state_ == TapState::UpdateIR)
      for (auto& d : devices_) d->UpdateIR();
    else if (state_ == TapState::UpdateDR)
      for (auto& d : devices_) d->UpdateDR();
    else if (state_ == TapState::TestLogicReset)
      for (auto& d : devices_) d->Reset();
  }
}

}  // namespace s4::sim
