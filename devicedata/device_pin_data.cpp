#include "devicedata/device_pin_data.h"

#include <array>
#include <stdexcept>

namespace s4 {

// The 65 shared standards live from module load to unload: made in ordinal order by the
// static initialisation of the module, freed in the same order when it is unloaded.
class SharedIOStandards {
 public:
  SharedIOStandards() {
    for (std::uint32_t i = 0; i < kIOStandardCount; ++i)
      FObjects[i] = new TDeviceIOStandardData(static_cast<TDeviceIOStandardID>(i));
  }
  ~SharedIOStandards() {
    for (TDeviceIOStandardData*& obj : FObjects) {
      delete obj;
      obj = nullptr;
    }
  }
  SharedIOStandards(const SharedIOStandards&) = delete;
  SharedIOStandards& operator=(const SharedIOStandards&) = delete;

  TDeviceIOStandardData* Get(std::int32_t ordinal) const {
    return ordinal >= 0 && ordinal < static_cast<std::int32_t>(kIOStandardCount) ? FObjects[ordinal] : nullptr;
  }

 private:
  std::array<TDeviceIOStandardData*, kIOStandardCount> FObjects{};
};

namespace {
const SharedIOStandards gSharedIOStandards;
}  // namespace

TDeviceIOStandardData* SharedIOStandard(std::int32_t ordinal) { return gSharedIOStandards.Get(ordinal); }

ComPtr<IDispatch> NthIOStandard(const StandardSet& set, std::int32_t index) {
  TDeviceIOStandardData* obj = SharedIOStandard(set.Nth(index));
  return obj ? obj->DispatchRef() : ComPtr<IDispatch>();
}

WideString TDeviceIOStandardData::GetSlewValue(std::int32_t index) {
  return NthBitName(kIOStandards[FId].Slews, index, kSlewNames);
}

WideString TDeviceIOStandardData::GetDriveStrength(std::int32_t index) {
  return NthBitName(kIOStandards[FId].Drives, index, kDriveStrengthNames);
}

TDevicePinData::TDevicePinData(TDevicePinSet pinSet, std::int32_t index) : FPinSet(pinSet), FIndex(index) {
  const auto pins = pintables::Pins(pinSet);
  if (index < 0 || static_cast<std::size_t>(index) >= pins.size())
    throw std::out_of_range("pin index outside its pin set");
  FRecord = &pins[static_cast<std::size_t>(index)];
}

}  // namespace s4
