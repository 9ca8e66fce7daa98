// TAbstractDeviceInformation: the host's device-information interface (DISPIDs
// 503379-503424, listed in dispids/device_information.inc) as virtual operations.
// Service name "DeviceInformation". The base driver supplies the defaults.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/support_service.h"
#include "platform/com_ptr.h"
#include "platform/widestring.h"

namespace s4 {

class TAbstractDeviceInformation : public TAbstractSupportService {
 public:
  using Parent = TAbstractSupportService;
  using Parent::SupportsService;
  bool SupportsService(std::u16string_view name) override;
  const DispatchTableType& DispatchTable() const override;
  static const DispatchTableType& ClassTable();

  virtual std::uint32_t GetIdCode() = 0;
  virtual WideString GetDeviceName() = 0;
  virtual WideString GetDeviceDescription() = 0;
  virtual WideString GetFamilyName() = 0;
  virtual WideString GetFamilyDescription() = 0;
  virtual WideString GetLibraryName() = 0;
  virtual WideString GetVendorPrimitiveLibraryName() = 0;
  virtual WideString GetBaseName() = 0;
  virtual std::int32_t GetEquivalentGatesForBase() = 0;
  virtual std::int32_t GetMaxIOForBase() = 0;
  virtual WideString GetPackageTypeId() = 0;
  virtual WideString GetPackageTypeName() = 0;
  virtual WideString GetPackageTypeDescription() = 0;
  virtual WideString GetPackageId() = 0;
  virtual WideString GetPackageName() = 0;
  virtual WideString GetPackageDescription() = 0;
  virtual WideString GetPackageDimensions() = 0;
  virtual WideString GetTemperatureGradeId() = 0;
  virtual WideString GetTemperatureGradeName() = 0;
  virtual WideString GetTemperatureGradeDescription() = 0;
  virtual WideString GetSpeedGradeId() = 0;
  virtual WideString GetSpeedGradeName() = 0;
  virtual WideString GetSpeedGradeDescription() = 0;
  virtual WideString GetOptionDesignatorId() = 0;
  virtual WideString GetOptionDesignatorName() = 0;
  virtual WideString GetOptionDesignatorDescription() = 0;
  virtual WideString GetBSDLFilename() = 0;
  virtual ComPtr<IDispatch> GetBSDLEntity() = 0;
  virtual WideString GetVendorName() = 0;
  virtual std::int32_t GetInstructionLength() = 0;
  virtual std::int32_t GetDevicePinCount() = 0;
  virtual std::int32_t GetDeviceIOCount() = 0;
  virtual ComPtr<IDispatch> GetDevicePin(std::int32_t index) = 0;
  virtual WideString GetDownloadFileExtensions() = 0;
  virtual std::int32_t GetDSPMultiplierCount() = 0;
  virtual std::int32_t GetClockManagerCount() = 0;
  virtual std::int32_t GetMemorySize() = 0;
  virtual bool GetTerminationSupport() = 0;
  virtual std::int32_t GetGlobalClockCount() = 0;
  virtual std::int32_t GetConfigMemorySize() = 0;
  virtual std::int32_t GetDiffPairCount() = 0;
  virtual std::int32_t GetHighSpeedDiffPairCount() = 0;
  virtual std::int32_t GetIOStandardCount() = 0;
  virtual ComPtr<IDispatch> GetIOStandard(std::int32_t index) = 0;
  virtual WideString GetDeviceDisplayName() = 0;
  virtual WideString GetDeviceParameter(std::u16string_view name) = 0;
};

}  // namespace s4
