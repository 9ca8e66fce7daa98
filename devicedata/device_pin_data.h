// The host-facing pin and I/O-standard objects of the device database.
//
// TDevicePinData answers one entry of a pin set from the generated pin tables; its driver
// creates all pins of its set on the first pin request and owns them (AddRef and Release
// answer -1). TDeviceIOStandardData answers one of the 65 standards; exactly 65 exist,
// made when the module is loaded and shared by every driver and pin (SharedIOStandard).
#pragma once

#include <cstdint>

#include "devicedata/device_tables.h"
#include "devicedata/pin_tables.h"
#include "driver/abstract_device_pin.h"

namespace s4 {

class TDeviceIOStandardData final : public TVireoAbstractDeviceIOStandard {
 public:
  explicit TDeviceIOStandardData(TDeviceIOStandardID id) : FId(id) {}

  // Shared for the module's life: the host's references neither keep nor end it.
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(-1); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(-1); }

  std::uint8_t GetIOStandardKind() override { return kIOStandards[FId].KindCode; }
  std::int32_t GetSlewCount() override { return BitCount(kIOStandards[FId].Slews); }
  WideString GetSlewValue(std::int32_t index) override;
  std::int32_t GetDriveCount() override { return BitCount(kIOStandards[FId].Drives); }
  WideString GetDriveStrength(std::int32_t index) override;

  TDeviceIOStandardID Id() const { return FId; }

 private:
  friend class SharedIOStandards;
  ~TDeviceIOStandardData() override = default;
  TDeviceIOStandardID FId;
};

// The shared object of a standard (ordinal 0..64); null outside.
TDeviceIOStandardData* SharedIOStandard(std::int32_t ordinal);

// The shared object of the (index+1)-th member of a set in ascending ordinal order, with a
// new reference; null when the index is out of range.
ComPtr<IDispatch> NthIOStandard(const StandardSet& set, std::int32_t index);

class TDevicePinData final : public TVireoAbstractDevicePin {
 public:
  TDevicePinData(TDevicePinSet pinSet, std::int32_t index);
  ~TDevicePinData() override = default;

  WideString GetPinNumber() override { return pintables::String(Record().Number); }
  WideString GetIOBank() override { return pintables::String(Record().Bank); }
  bool GetIsIOPin() override { return Bit(0); }
  bool GetIsCLKPin() override { return Bit(2); }
  bool GetIsVREFPin() override { return Bit(1); }
  bool GetIsSpecialPin() override { return Bit(3); }
  std::int32_t GetIOStandardCount() override { return Standards().Count(); }
  ComPtr<IDispatch> GetIOStandard(std::int32_t index) override { return NthIOStandard(Standards(), index); }
  bool GetIsInputOnlyPin() override { return Bit(4); }
  bool GetIsDCIP_Pin() override { return Bit(5); }
  bool GetIsDCIN_Pin() override { return Bit(6); }
  bool GetIsDiffP_Pin() override { return Bit(7); }
  bool GetIsDiffN_Pin() override { return Bit(8); }
  bool GetIsHDiffP_Pin() override { return Bit(9); }
  bool GetIsHDiffN_Pin() override { return Bit(10); }
  bool GetIsTransmitDiffPin() override { return Bit(11); }
  bool GetIsReceiveDiffPin() override { return Bit(12); }
  bool GetIsClkDiffP_Pin() override { return Bit(13); }
  bool GetIsClkDiffN_Pin() override { return Bit(14); }
  bool GetIsDLLPin() override { return Bit(15); }
  WideString GetDifferentialId() override { return pintables::String(Record().DiffId); }
  WideString GetClkDifferentialId() override { return pintables::String(Record().ClkDiffId); }

  TDevicePinSet PinSet() const { return FPinSet; }
  std::int32_t Index() const { return FIndex; }

 private:
  const pintables::PinRecord& Record() const { return *FRecord; }
  const StandardSet& Standards() const { return pintables::kStandardSets[FRecord->Standards]; }
  bool Bit(int b) const { return ((FRecord->Options >> b) & 1) != 0; }

  TDevicePinSet FPinSet;
  std::int32_t FIndex;
  const pintables::PinRecord* FRecord;
};

}  // namespace s4
