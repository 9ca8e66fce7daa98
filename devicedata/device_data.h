// TDeviceData: the driver level that knows its device kind and answers every
// device-information query from the built-in tables (devicedata/device_tables.h) and the
// generated pin tables (devicedata/pin_tables.h).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "devicedata/device_pin_data.h"
#include "devicedata/device_tables.h"
#include "driver/named_object_list.h"
#include "driver/vireo_driver.h"

namespace s4 {

// The 45 built-in boundary-scan file names, in the order of the built-in tables.
std::span<const std::u16string_view> BuiltInBSDLFileNames();

class TDeviceData : public TVireoDriver {
 public:
  TDeviceData(std::int32_t kind, std::u16string_view coreExt);
  ~TDeviceData() noexcept override;

  std::int32_t Kind() const { return FKind; }
  // The device-table row of this driver's kind.
  const TDeviceParameters& Row() const { return kDeviceTable[static_cast<std::size_t>(FKind)]; }

  bool IsFPGA() override { return true; }
  bool IsCPLD() override { return false; }
  bool IsPROM() override { return false; }
  // The vendor the device-family dictionary records for this family (device_data_vendor.cpp).
  WideString GetVendorName() override;

  std::uint32_t GetIdCode() override;
  WideString GetDeviceName() override;
  WideString GetDeviceDescription() override;
  WideString GetFamilyName() override;
  WideString GetFamilyDescription() override;
  WideString GetLibraryName() override;
  WideString GetBaseName() override;
  std::int32_t GetEquivalentGatesForBase() override;
  std::int32_t GetMaxIOForBase() override;
  WideString GetPackageTypeId() override;
  WideString GetPackageTypeName() override;
  WideString GetPackageTypeDescription() override;
  WideString GetPackageId() override;
  WideString GetPackageName() override;
  WideString GetPackageDescription() override;
  WideString GetPackageDimensions() override;
  WideString GetTemperatureGradeId() override;
  WideString GetTemperatureGradeName() override;
  WideString GetTemperatureGradeDescription() override;
  WideString GetSpeedGradeId() override;
  WideString GetSpeedGradeName() override;
  WideString GetSpeedGradeDescription() override;
  WideString GetOptionDesignatorId() override;
  WideString GetOptionDesignatorName() override;
  WideString GetOptionDesignatorDescription() override;
  WideString GetBSDLFilename() override;
  // The boundary-scan entity of the device's package, built from the built-in record on the
  // first request and kept (boundaryscan/builtin_entity.h).
  ComPtr<IDispatch> GetBSDLEntity() override;
  std::int32_t GetInstructionLength() override;
  std::int32_t GetDevicePinCount() override;
  std::int32_t GetDeviceIOCount() override;
  ComPtr<IDispatch> GetDevicePin(std::int32_t index) override;
  std::int32_t GetDSPMultiplierCount() override;
  std::int32_t GetClockManagerCount() override;
  std::int32_t GetMemorySize() override;
  bool GetTerminationSupport() override;
  std::int32_t GetGlobalClockCount() override;
  std::int32_t GetConfigMemorySize() override;
  std::int32_t GetDiffPairCount() override;
  std::int32_t GetHighSpeedDiffPairCount() override;
  std::int32_t GetIOStandardCount() override;
  ComPtr<IDispatch> GetIOStandard(std::int32_t index) override;

 protected:
  const TDevicePackageParameters& Resources() const { return kDevicePackages[Row().DevicePackage]; }
  const pintables::PinSetTable& PinSetData() const { return pintables::kPinSets[Row().PinSet]; }

  std::int32_t FKind;
  // Host-facing pin objects, made on the first pin request and owned here (their Release
  // does nothing).
  std::vector<std::unique_ptr<TDevicePinData>> Pins;
  // The built-in boundary-scan file names; the slot caches the entity built for each.
  NamedObjectList<IDispatch*> BSDLDataList;
  // Working caches of the boundary-scan tables.
  NamedObjectList<void*> ScanPins, BoundaryCells, PinMappings, OpCodes, RegisterAssociations;
};

}  // namespace s4
