#include "devicedata/device_data.h"

#include "boundaryscan/builtin_entity.h"

#include <algorithm>

#include "device_kinds.h"

namespace s4 {

// The generated kind names agree with the table they were made from and with the count the
// module's exports serve.
static_assert(eEP4SGX70DF29C2x == 0 && eEP4SGX530NF45I4 == 173 && eEP4SGX70DF29C2xN == 174);
static_assert(eEP4SE820F43I4N == 443 && eEP4S40G2F40I1 == 444 && eEP4S100G5F45I3N == 485);
static_assert(kDeviceKindTableSize == 486);

std::span<const std::u16string_view> BuiltInBSDLFileNames() {
  static constexpr std::u16string_view names[] = {
      u"EP4SGX70DF29.bsd",  u"EP4SGX70HF35.bsd",  u"EP4SGX110DF29.bsd", u"EP4SGX110FF35.bsd",
      u"EP4SGX110HF35.bsd", u"EP4SGX180DF29.bsd", u"EP4SGX180FF35.bsd", u"EP4SGX180HF35.bsd",
      u"EP4SGX180KF40.bsd", u"EP4SGX230DF29.bsd", u"EP4SGX230FF35.bsd", u"EP4SGX230HF35.bsd",
      u"EP4SGX230KF40.bsd", u"EP4SGX290FH29.bsd", u"EP4SGX290FF35.bsd", u"EP4SGX290HF35.bsd",
      u"EP4SGX290KF40.bsd", u"EP4SGX290KF43.bsd", u"EP4SGX290NF45.bsd", u"EP4SGX360FH29.bsd",
      u"EP4SGX360FF35.bsd", u"EP4SGX360HF35.bsd", u"EP4SGX360KF40.bsd", u"EP4SGX360KF43.bsd",
      u"EP4SGX360NF45.bsd", u"EP4SGX530HH35.bsd", u"EP4SGX530KH40.bsd", u"EP4SGX530KF43.bsd",
      u"EP4SGX530NF45.bsd", u"EP4SE230F29.bsd",   u"EP4SE360H29.bsd",   u"EP4SE360F35.bsd",
      u"EP4SE530H35.bsd",   u"EP4SE530H40.bsd",   u"EP4SE530F43.bsd",   u"EP4SE820H35.bsd",
      u"EP4SE820H40.bsd",   u"EP4SE820F43.bsd",   u"EP4S40G2F40.bsd",   u"EP4S40G5H40.bsd",
      u"EP4S100G2F40.bsd",  u"EP4S100G3F45.bsd",  u"EP4S100G4F45.bsd",  u"EP4S100G5H40.bsd",
      u"EP4S100G5F45.bsd",
  };
  return names;
}

TDeviceData::TDeviceData(std::int32_t kind, std::u16string_view coreExt) : TVireoDriver(coreExt), FKind(kind) {
  for (std::u16string_view name : BuiltInBSDLFileNames()) BSDLDataList.Add(name, nullptr);
}

// Never raises (an entity still referenced is left alive rather than ending the process).
TDeviceData::~TDeviceData() noexcept {
  try {
    ReleaseBuiltInEntities(BSDLDataList);
  } catch (...) {
  }
}

ComPtr<IDispatch> TDeviceData::GetBSDLEntity() {
  const auto entry = BSDLDataList.IndexOf(GetBSDLFilename().view());
  if (!entry) return {};
  IDispatch*& slot = BSDLDataList[*entry].object;
  if (!slot) {
    // Attached only once built whole: a failure leaves the slot empty for a later try.
    Owned<TBSDLEntity> e = BuildBuiltInEntity(BuiltInRecordIndex(BSDLDataList[*entry].name),
                                              {ScanPins, BoundaryCells, PinMappings, OpCodes, RegisterAssociations});
    slot = e.release()->Dispatch();
  }
  return ComPtr<IDispatch>::Share(slot);
}

std::uint32_t TDeviceData::GetIdCode() { return Row().IdCode(); }
WideString TDeviceData::GetDeviceName() { return Row().FullName(); }

// Each part through the driver's own operation, so that an empty vendor gives a leading blank.
WideString TDeviceData::GetDeviceDescription() {
  std::u16string s(GetVendorName().view());
  s += u' ';
  s += GetFamilyName().view();
  s += u' ';
  s += GetDeviceName().view();
  return WideString(s);
}

WideString TDeviceData::GetFamilyName() { return u"Stratix4"; }
WideString TDeviceData::GetFamilyDescription() { return u"Stratix IV FPGA"; }
WideString TDeviceData::GetLibraryName() { return u"Altera Stratix IV.IntLib"; }
WideString TDeviceData::GetBaseName() { return kBaseNames[Row().BaseName].Name; }
std::int32_t TDeviceData::GetEquivalentGatesForBase() { return kBaseNames[Row().BaseName].EquivalentGates; }
std::int32_t TDeviceData::GetMaxIOForBase() { return kBaseNames[Row().BaseName].MaxIO; }
WideString TDeviceData::GetPackageTypeId() { return kPackageTypes[Row().PackageType].Id; }
WideString TDeviceData::GetPackageTypeName() { return kPackageTypes[Row().PackageType].Name; }
WideString TDeviceData::GetPackageTypeDescription() { return kPackageTypes[Row().PackageType].Description; }
WideString TDeviceData::GetPackageId() { return kPackages[Row().Package].Id; }
WideString TDeviceData::GetPackageName() { return kPackages[Row().Package].Name; }
WideString TDeviceData::GetPackageDescription() { return kPackages[Row().Package].Description; }
WideString TDeviceData::GetPackageDimensions() { return kPackages[Row().Package].Dimensions; }
WideString TDeviceData::GetTemperatureGradeId() { return kTemperatureGrades[Row().TemperatureGrade].Id; }
WideString TDeviceData::GetTemperatureGradeName() { return kTemperatureGrades[Row().TemperatureGrade].Name; }
WideString TDeviceData::GetTemperatureGradeDescription() {
  return kTemperatureGrades[Row().TemperatureGrade].Description;
}
WideString TDeviceData::GetSpeedGradeId() { return kSpeedGrades[Row().SpeedGrade].Id; }
WideString TDeviceData::GetSpeedGradeName() { return kSpeedGrades[Row().SpeedGrade].Name; }
WideString TDeviceData::GetSpeedGradeDescription() { return kSpeedGrades[Row().SpeedGrade].Description; }
WideString TDeviceData::GetOptionDesignatorId() { return kOptionDesignators[Row().OptionDesignator].Id; }
WideString TDeviceData::GetOptionDesignatorName() { return kOptionDesignators[Row().OptionDesignator].Name; }
WideString TDeviceData::GetOptionDesignatorDescription() {
  return kOptionDesignators[Row().OptionDesignator].Description;
}
WideString TDeviceData::GetBSDLFilename() { return BSDLFileName(Row().DevicePackage); }
std::int32_t TDeviceData::GetInstructionLength() { return Row().InstructionLength; }

std::int32_t TDeviceData::GetDSPMultiplierCount() { return Resources().DSPMultiplierCount; }
std::int32_t TDeviceData::GetClockManagerCount() { return Resources().ClockManagerCount; }
std::int32_t TDeviceData::GetMemorySize() { return Resources().MemorySize; }
bool TDeviceData::GetTerminationSupport() { return Resources().TerminationSupport; }
std::int32_t TDeviceData::GetGlobalClockCount() { return Resources().GlobalClockCount; }
std::int32_t TDeviceData::GetConfigMemorySize() { return Resources().ConfigMemorySize; }

std::int32_t TDeviceData::GetDevicePinCount() { return PinSetData().PinCount; }
std::int32_t TDeviceData::GetDeviceIOCount() { return PinSetData().IOCount; }
std::int32_t TDeviceData::GetDiffPairCount() { return PinSetData().DiffCount; }
std::int32_t TDeviceData::GetHighSpeedDiffPairCount() { return PinSetData().HSpeedDiffCount; }
std::int32_t TDeviceData::GetIOStandardCount() { return PinSetData().Standards.Count(); }
ComPtr<IDispatch> TDeviceData::GetIOStandard(std::int32_t index) { return NthIOStandard(PinSetData().Standards, index); }

// All pins of the set are made on the first request and kept for the driver's life. The
// count is asked through the driver's own operation, but never more pins are made than the
// set holds, so an index can never reach past the set's table.
ComPtr<IDispatch> TDeviceData::GetDevicePin(std::int32_t index) {
  if (Pins.empty()) {
    const std::int32_t count = std::min(GetDevicePinCount(), PinSetData().PinCount);
    std::vector<std::unique_ptr<TDevicePinData>> pins;
    pins.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (std::int32_t i = 0; i < count; ++i) pins.push_back(std::make_unique<TDevicePinData>(Row().PinSet, i));
    Pins = std::move(pins);
  }
  if (index < 0 || static_cast<std::size_t>(index) >= Pins.size()) return {};
  return Pins[static_cast<std::size_t>(index)]->DispatchRef();
}

}  // namespace s4
