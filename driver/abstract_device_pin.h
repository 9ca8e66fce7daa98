// Pins and I/O standards as the host sees them.
//
// TAbstractDevicePin (service "DevicePin") and TAbstractDeviceIOStandard (service
// "DeviceIOStandard") map the pin and I/O-standard DISPIDs (dispids/device_pin.inc,
// dispids/device_io_standard.inc) to virtual operations. TVireoAbstractDevicePin adds the
// three operations derived from a pin's own answers and is owned by its driver (AddRef and
// Release answer -1). TVireoAbstractDeviceIOStandard answers everything from the standard's
// host-wide kind code, which a descendant supplies.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/support_service.h"
#include "platform/com_ptr.h"
#include "platform/widestring.h"

namespace s4 {

class TAbstractDevicePin : public TAbstractSupportService {
 public:
  using Parent = TAbstractSupportService;
  using Parent::SupportsService;
  bool SupportsService(std::u16string_view name) override;
  const DispatchTableType& DispatchTable() const override;
  static const DispatchTableType& ClassTable();

  virtual WideString GetPinNumber() = 0;
  virtual WideString GetIOBank() = 0;
  virtual bool GetIsIOPin() = 0;
  virtual bool GetIsCLKPin() = 0;
  virtual bool GetIsVREFPin() = 0;
  virtual bool GetIsSpecialPin() = 0;
  virtual std::int32_t GetIOStandardCount() = 0;
  virtual ComPtr<IDispatch> GetIOStandard(std::int32_t index) = 0;
  virtual bool GetIsInputOnlyPin() = 0;
  virtual bool GetIsDCIP_Pin() = 0;
  virtual bool GetIsDCIN_Pin() = 0;
  virtual bool GetIsDiffP_Pin() = 0;
  virtual bool GetIsDiffN_Pin() = 0;
  virtual bool GetIsHDiffP_Pin() = 0;
  virtual bool GetIsHDiffN_Pin() = 0;
  virtual bool GetIsTransmitDiffPin() = 0;
  virtual bool GetIsReceiveDiffPin() = 0;
  virtual bool GetIsClkDiffP_Pin() = 0;
  virtual bool GetIsClkDiffN_Pin() = 0;
  virtual bool GetIsDLLPin() = 0;
  virtual WideString GetDifferentialId() = 0;
  virtual WideString GetClkDifferentialId() = 0;
  virtual WideString GetUniqueDifferentialID() = 0;
  virtual bool GetIsPosPinOfDiffPair() = 0;
  virtual bool GetIsNegPinOfDiffPair() = 0;
};

class TVireoAbstractDevicePin : public TAbstractDevicePin {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(-1); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(-1); }

  // Bank, differential id and clock differential id joined by "|" (always two bars).
  WideString GetUniqueDifferentialID() override;
  // Positive (negative) pin of a pair: any of the four pair flags, asked in order.
  bool GetIsPosPinOfDiffPair() override;
  bool GetIsNegPinOfDiffPair() override;
};

class TAbstractDeviceIOStandard : public TAbstractSupportService {
 public:
  using Parent = TAbstractSupportService;
  using Parent::SupportsService;
  bool SupportsService(std::u16string_view name) override;
  const DispatchTableType& DispatchTable() const override;
  static const DispatchTableType& ClassTable();

  virtual WideString GetDisplayName() = 0;
  virtual WideString GetParamName() = 0;
  virtual std::int32_t GetSlewCount() = 0;
  virtual WideString GetSlewValue(std::int32_t index) = 0;
  virtual std::int32_t GetDriveCount() = 0;
  virtual WideString GetDriveStrength(std::int32_t index) = 0;
};

class TVireoAbstractDeviceIOStandard : public TAbstractDeviceIOStandard {
 public:
  // The host-wide I/O standard kind code, 0..185.
  virtual std::uint8_t GetIOStandardKind() = 0;

  WideString GetDisplayName() override;
  WideString GetParamName() override;
  std::int32_t GetSlewCount() override { return 0; }
  WideString GetSlewValue(std::int32_t) override { return {}; }
  std::int32_t GetDriveCount() override { return 0; }
  WideString GetDriveStrength(std::int32_t) override { return {}; }
};

// The host-wide name tables of I/O standard kinds (186 entries each); empty text outside
// the table.
std::u16string_view IOStandardKindDisplayName(std::uint32_t kind);
std::u16string_view IOStandardKindParamName(std::uint32_t kind);
inline constexpr std::uint32_t kIOStandardKindCount = 186;

}  // namespace s4
