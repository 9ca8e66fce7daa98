// Defaults of the base driver for every host driver operation. The operations whose base
// behaviour rests on the host or on other subsystems are in vireo_driver_services.cpp.
#include "driver/vireo_driver.h"

namespace s4 {

TVireoDriver::TVireoDriver(std::u16string_view coreExt) : FCoreExt(coreExt) { AttachToHostWindow(); }

// A destructor cannot report a failure: releasing the resources calls into the host, and a
// host call that fails raises, which must not end the host's process from here. What could
// not be released is left as it is.
TVireoDriver::~TVireoDriver() noexcept {
  try {
    ReleaseResources();
  } catch (...) {
  }
}

HRESULT TVireoDriver::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = FindInterface(iid);
  return *out ? S_OK : E_NOINTERFACE;
}
ULONG TVireoDriver::AddRef() { return static_cast<ULONG>(-1); }
ULONG TVireoDriver::Release() { return static_cast<ULONG>(-1); }

void* TVireoDriver::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_IDriverMemoryAccess)) return static_cast<IDriverMemoryAccess*>(this);
  return TAbstractVireoDriver::FindInterface(iid);
}

// ---- Device information -------------------------------------------------------------------

std::uint32_t TVireoDriver::GetIdCode() { return 0; }
WideString TVireoDriver::GetDeviceName() { return u"Generic Vireo Device"; }
WideString TVireoDriver::GetDeviceDescription() { return GetDeviceName(); }
WideString TVireoDriver::GetFamilyName() { return {}; }
WideString TVireoDriver::GetFamilyDescription() { return {}; }
WideString TVireoDriver::GetLibraryName() { return {}; }
WideString TVireoDriver::GetVendorPrimitiveLibraryName() { return {}; }
WideString TVireoDriver::GetBaseName() { return {}; }
std::int32_t TVireoDriver::GetEquivalentGatesForBase() { return -1; }
std::int32_t TVireoDriver::GetMaxIOForBase() { return -1; }
WideString TVireoDriver::GetPackageTypeId() { return u"Generic"; }
WideString TVireoDriver::GetPackageTypeName() { return u"Generic"; }
WideString TVireoDriver::GetPackageTypeDescription() { return u"Un-Classified Packages"; }
WideString TVireoDriver::GetPackageId() { return {}; }
WideString TVireoDriver::GetPackageName() { return {}; }
WideString TVireoDriver::GetPackageDescription() { return {}; }
WideString TVireoDriver::GetPackageDimensions() { return u"? x ? mm"; }
WideString TVireoDriver::GetTemperatureGradeId() { return {}; }
WideString TVireoDriver::GetTemperatureGradeName() { return {}; }
WideString TVireoDriver::GetTemperatureGradeDescription() { return {}; }
WideString TVireoDriver::GetSpeedGradeId() { return {}; }
WideString TVireoDriver::GetSpeedGradeName() { return {}; }
WideString TVireoDriver::GetSpeedGradeDescription() { return {}; }
WideString TVireoDriver::GetOptionDesignatorId() { return {}; }
WideString TVireoDriver::GetOptionDesignatorName() { return {}; }
WideString TVireoDriver::GetOptionDesignatorDescription() { return {}; }
WideString TVireoDriver::GetBSDLFilename() { return {}; }
ComPtr<IDispatch> TVireoDriver::GetBSDLEntity() { return {}; }
WideString TVireoDriver::GetVendorName() { return {}; }
std::int32_t TVireoDriver::GetInstructionLength() { return 4; }
std::int32_t TVireoDriver::GetDevicePinCount() { return 0; }
std::int32_t TVireoDriver::GetDeviceIOCount() { return -1; }
ComPtr<IDispatch> TVireoDriver::GetDevicePin(std::int32_t) { return {}; }
WideString TVireoDriver::GetDownloadFileExtensions() { return {}; }
std::int32_t TVireoDriver::GetDSPMultiplierCount() { return -1; }
std::int32_t TVireoDriver::GetClockManagerCount() { return -1; }
std::int32_t TVireoDriver::GetMemorySize() { return -1; }
bool TVireoDriver::GetTerminationSupport() { return false; }
std::int32_t TVireoDriver::GetGlobalClockCount() { return -1; }
std::int32_t TVireoDriver::GetConfigMemorySize() { return -1; }
std::int32_t TVireoDriver::GetDiffPairCount() { return -1; }
std::int32_t TVireoDriver::GetHighSpeedDiffPairCount() { return -1; }
std::int32_t TVireoDriver::GetIOStandardCount() { return 0; }
ComPtr<IDispatch> TVireoDriver::GetIOStandard(std::int32_t) { return {}; }
WideString TVireoDriver::GetDeviceDisplayName() { return GetDeviceName(); }
WideString TVireoDriver::GetDeviceParameter(std::u16string_view) { return {}; }

// ---- Driver operations ----------------------------------------------------------------------

ComPtr<IDispatch> TVireoDriver::GetVireoDevice() { return FVireoDevice; }

bool TVireoDriver::SetVireoDevice(IDispatch* device) {
  FVireoDevice = ComPtr<IDispatch>::Share(device);
  HandOverRackForm();
  return true;
}

bool TVireoDriver::Finalize() { return false; }
bool TVireoDriver::SaveProcessorState() { return false; }
bool TVireoDriver::RestoreProcessorState() { return false; }
ComPtr<IDispatch> TVireoDriver::GetRackViewer() { return FRackView; }
void TVireoDriver::ShowAboutDialog() {}

// The base has no processor registers (count 0), so every index is out of range.
bool TVireoDriver::SetProcessorRegisterValue(std::int32_t, Low32) { return false; }
std::uint32_t TVireoDriver::GetProcessorRegisterValue(std::int32_t) { return 0; }
std::uint32_t TVireoDriver::GetProcessorRegisterWidth(std::int32_t) { return 0; }
WideString TVireoDriver::GetProcessorRegisterName(std::int32_t) { return {}; }
WideString TVireoDriver::GetProcessorRegisterShortName(std::int32_t index) { return GetProcessorRegisterName(index); }
std::int32_t TVireoDriver::GetProcessorRegisterCount() { return 0; }
std::int32_t TVireoDriver::GetRegisterIndex_PC() { return -1; }
std::int32_t TVireoDriver::GetRegisterIndex_SP() { return -1; }
std::int32_t TVireoDriver::GetSoftBreakpointAddressByteAlign() { return 1; }
std::uint32_t TVireoDriver::GetMemorySpaceWidth(std::int32_t) { return 0; }
TMemorySpaceKind TVireoDriver::GetMemorySpaceKind(std::int32_t) { return TMemorySpaceKind::eMemorySpaceKind_Unknown; }
std::uint32_t TVireoDriver::GetMemorySpaceBytesPerUnit(std::int32_t) { return 1; }
WideString TVireoDriver::GetMemorySpaceName(std::int32_t) { return {}; }
WideString TVireoDriver::GetMemorySpaceShortName(std::int32_t index) { return GetMemorySpaceName(index); }
std::int32_t TVireoDriver::GetMemorySpaceCount() { return 0; }
std::int32_t TVireoDriver::GetMemorySpace_Program() { return -1; }
bool TVireoDriver::InitDownload(std::int32_t) { return true; }
bool TVireoDriver::FinishDownload(std::int32_t) { return true; }
bool TVireoDriver::RunDiagnostic() { return true; }
bool TVireoDriver::LittleEndian() { return false; }
bool TVireoDriver::ResetDevice() { return false; }
TDeviceState TVireoDriver::GetDeviceState() { return TDeviceState::eDeviceState_Unknown; }
std::int32_t TVireoDriver::ProgramDevice(std::u16string_view) { return 0; }
std::uint32_t TVireoDriver::ReadUserCode() { return 0xFFFFFFFFu; }

// Each flow is made by the factory on the first request and kept; a factory that answers
// null is asked again next time.
ComPtr<IDispatch> TVireoDriver::FlowStage_Build() {
  if (!FBuildFlow) FBuildFlow = CreateProcessFlow(0);
  return FBuildFlow;
}
ComPtr<IDispatch> TVireoDriver::FlowStage_Download() {
  if (!FDownloadFlow) FDownloadFlow = CreateProcessFlow(1);
  return FDownloadFlow;
}

WideString TVireoDriver::CoreGen_OutputExtension() { return FCoreExt; }
bool TVireoDriver::ProcessorIsUsingReducedInstructionSet() { return false; }
bool TVireoDriver::Flash_Reset() { return false; }
std::int32_t TVireoDriver::Flash_Program(std::u16string_view) { return 0; }
void TVireoDriver::Flash_Configure() {}

bool TVireoDriver::SetProcessorRegisterWideValue(std::int32_t, std::u16string_view) { return false; }
WideString TVireoDriver::GetProcessorRegisterWideValue(std::int32_t) { return u"0"; }
bool TVireoDriver::ConfigureFpgaProject(IDispatch*) { return false; }
bool TVireoDriver::ShowConfiguration() { return true; }
void TVireoDriver::ShowCurrentSensePanel() {}
bool TVireoDriver::InvalidateResources() { return false; }
void TVireoDriver::CustomAction_Execute(std::int32_t) {}

// The second flag is left as the host passed it.
void TVireoDriver::CustomAction_GetState(std::int32_t, InOutFlag& enabled, InOutFlag&, InOutFlag& visible,
                                         Raw32, Raw32) {
  enabled.set(false);
  visible.set(false);
}

bool TVireoDriver::EPM_InititateTest() { return false; }
std::int32_t TVireoDriver::EPM_GetTestResult(std::int32_t) { return -1; }
void TVireoDriver::EPM_SetPercentCallBack(IDispatch* callback) { FCallBack = ComPtr<IDispatch>::Share(callback); }
bool TVireoDriver::Flash_ResetForBitStream() { return Flash_Reset(); }
void TVireoDriver::SetEmbeddedConstraintFile(std::u16string_view fileName) { FCustomConstraintFile = fileName; }
std::uint32_t TVireoDriver::AddSoftBreakpoint(std::int32_t, std::int64_t) { return 0; }
bool TVireoDriver::RemoveSoftBreakpoint(std::int32_t, std::int64_t, Low32) { return false; }
std::int64_t TVireoDriver::GetMemorySpaceLength(std::int32_t) { return 0; }
ComPtr<IDispatch> TVireoDriver::ClockCoreGenerator() { return {}; }
ComPtr<IDispatch> TVireoDriver::ClockCoreTemplateGenerator() { return {}; }
ComPtr<IDispatch> TVireoDriver::ClockGeneratorTargetCore() { return {}; }
ComPtr<IDispatch> TVireoDriver::CustomCoreGenerator(std::int32_t) { return {}; }

// ---- Operations after the interface -------------------------------------------------------

std::int32_t TVireoDriver::GetRegisterSelectInstruction() { return 3; }
std::int32_t TVireoDriver::GetRegisterAccessInstruction() { return 4; }
bool TVireoDriver::GetProcessorInformation(ComPtr<IDispatch>& info) {
  info.reset();
  return false;
}
bool TVireoDriver::IsCPLD() { return false; }
bool TVireoDriver::IsFPGA() { return false; }
bool TVireoDriver::IsPROM() { return false; }
bool TVireoDriver::IsPROC() { return false; }
bool TVireoDriver::IsSPROC() { return false; }
bool TVireoDriver::IsGPROC() { return false; }
ComPtr<IDispatch> TVireoDriver::CreateProcessFlow(std::int32_t) { return {}; }

HRESULT TVireoDriver::MemoryRead(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                 std::uint32_t* result) {
  if (!result) return E_POINTER;
  *result = 0;
  return S_OK;
}
HRESULT TVireoDriver::MemoryWrite(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                  std::uint32_t* result) {
  if (!result) return E_POINTER;
  *result = 0;
  return S_OK;
}

}  // namespace s4
