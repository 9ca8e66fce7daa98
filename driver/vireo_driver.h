// TVireoDriver: the base of every device driver. It answers the whole host driver
// interface with defaults, so that a concrete driver overrides only what its device needs.
//
// Driver objects are not reference counted: AddRef and Release answer -1 on every
// interface and the host never frees a driver by releasing it. Besides IDispatch and
// ISupportService the driver answers QueryInterface for IDriverMemoryAccess.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "driver/abstract_vireo_driver.h"
#include "platform/bitmap.h"

namespace s4 {

// {DE05D751-32F9-4557-A7B6-678A8280E274}
inline constexpr IID IID_IDriverMemoryAccess = {
    0xDE05D751, 0x32F9, 0x4557, {0xA7, 0xB6, 0x67, 0x8A, 0x82, 0x80, 0xE2, 0x74}};

struct IDriverMemoryAccess : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE MemoryRead(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                               std::uint32_t d, std::uint32_t e, std::uint32_t* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE MemoryWrite(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                                std::uint32_t d, std::uint32_t e, std::uint32_t* result) = 0;

 protected:
  ~IDriverMemoryAccess() = default;
};

// Bits of the processor debug control register.
enum ControlRegisterBit : std::uint8_t {
  kStepCounterBreakpointEnable = 0x80,
  kReset = 0x20,
  kDebugEnable = 0x10,
  kDebugAcknowledge = 0x08,
  kDebugRequest = 0x04,
  kDebugStep = 0x02,
  kDebuggerProgramSelect = 0x01,
};

class TVireoDriver : public TAbstractVireoDriver, public IDriverMemoryAccess {
 public:
  explicit TVireoDriver(std::u16string_view coreExt);
  ~TVireoDriver() noexcept override;

  // Not reference counted (see above).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // Device information defaults.
  std::uint32_t GetIdCode() override;
  WideString GetDeviceName() override;
  WideString GetDeviceDescription() override;
  WideString GetFamilyName() override;
  WideString GetFamilyDescription() override;
  WideString GetLibraryName() override;
  WideString GetVendorPrimitiveLibraryName() override;
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
  ComPtr<IDispatch> GetBSDLEntity() override;
  WideString GetVendorName() override;
  std::int32_t GetInstructionLength() override;
  std::int32_t GetDevicePinCount() override;
  std::int32_t GetDeviceIOCount() override;
  ComPtr<IDispatch> GetDevicePin(std::int32_t index) override;
  WideString GetDownloadFileExtensions() override;
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
  WideString GetDeviceDisplayName() override;
  WideString GetDeviceParameter(std::u16string_view name) override;

  // Driver defaults.
  ComPtr<IDispatch> GetVireoDevice() override;
  bool SetVireoDevice(IDispatch* device) override;
  bool Finalize() override;
  std::uint32_t GetBitmapHandle() override;
  bool SaveProcessorState() override;
  bool RestoreProcessorState() override;
  void CreateRackViewer() override;
  ComPtr<IDispatch> GetRackViewer() override;
  bool Supports(std::u16string_view name) override;
  void ShowAboutDialog() override;
  WideString VendorToolsDescriptor() override;
  bool VendorToolsPresent() override;
  bool VendorToolsUpToDate() override;
  bool SetProcessorRegisterValue(std::int32_t index, Low32 value) override;
  std::uint32_t GetProcessorRegisterValue(std::int32_t index) override;
  std::uint32_t GetProcessorRegisterWidth(std::int32_t index) override;
  WideString GetProcessorRegisterName(std::int32_t index) override;
  WideString GetProcessorRegisterShortName(std::int32_t index) override;
  std::int32_t GetProcessorRegisterCount() override;
  std::int32_t GetRegisterIndex_PC() override;
  std::int32_t GetRegisterIndex_SP() override;
  std::int32_t GetSoftBreakpointAddressByteAlign() override;
  std::uint32_t GetMemorySpaceWidth(std::int32_t index) override;
  TMemorySpaceKind GetMemorySpaceKind(std::int32_t index) override;
  std::uint32_t GetMemorySpaceBytesPerUnit(std::int32_t index) override;
  WideString GetMemorySpaceName(std::int32_t index) override;
  WideString GetMemorySpaceShortName(std::int32_t index) override;
  std::int32_t GetMemorySpaceCount() override;
  std::int32_t GetMemorySpace_Program() override;
  bool InitDownload(std::int32_t index) override;
  bool FinishDownload(std::int32_t index) override;
  bool RunDiagnostic() override;
  bool LittleEndian() override;
  bool ResetDevice() override;
  TDeviceState GetDeviceState() override;
  std::int32_t ProgramDevice(std::u16string_view fileName) override;
  std::uint32_t ReadUserCode() override;
  ComPtr<IDispatch> FlowStage_Build() override;
  ComPtr<IDispatch> FlowStage_Download() override;
  WideString CoreGen_OutputExtension() override;
  void ResetVireoRegisters() override;
  void SingleStepProcessor() override;
  void RunSingleStepInSubstitutionRegister() override;
  void ResetProcessor() override;
  void PauseProcessor() override;
  void ContinueProcessor() override;
  void RunSteps(std::int32_t count) override;
  bool ProcessorIsPaused() override;
  bool ProcessorIsReset() override;
  bool ProcessorIsRunning() override;
  bool ProcessorIsUsingReducedInstructionSet() override;
  bool Flash_Reset() override;
  std::int32_t Flash_Program(std::u16string_view fileName) override;
  void Flash_Configure() override;
  bool SetProcessorRegisterWideValue(std::int32_t index, std::u16string_view value) override;
  WideString GetProcessorRegisterWideValue(std::int32_t index) override;
  bool ConfigureFpgaProject(IDispatch* project) override;
  bool ShowConfiguration() override;
  void ShowCurrentSensePanel() override;
  void ReleaseResources() override;
  bool InvalidateResources() override;
  void CustomAction_Execute(std::int32_t index) override;
  void CustomAction_GetState(std::int32_t index, InOutFlag& enabled, InOutFlag& checked,
                             InOutFlag& visible, Raw32 value1, Raw32 value2) override;
  bool EPM_Download(std::u16string_view a, std::u16string_view b, std::u16string_view c) override;
  bool EPM_InititateTest() override;
  std::int32_t EPM_GetTestResult(std::int32_t index) override;
  void EPM_SetPercentCallBack(IDispatch* callback) override;
  bool Flash_ResetForBitStream() override;
  WideString GetEmbeddedConstraintFile() override;
  void SetEmbeddedConstraintFile(std::u16string_view fileName) override;
  std::uint32_t AddSoftBreakpoint(std::int32_t index, std::int64_t address) override;
  bool RemoveSoftBreakpoint(std::int32_t index, std::int64_t address, Low32 value) override;
  std::int64_t GetMemorySpaceLength(std::int32_t index) override;
  WideString GetFolder_Library() override;
  ComPtr<IDispatch> ClockCoreGenerator() override;
  ComPtr<IDispatch> ClockCoreTemplateGenerator() override;
  ComPtr<IDispatch> ClockGeneratorTargetCore() override;
  ComPtr<IDispatch> CustomCoreGenerator(std::int32_t index) override;

  // Operations that follow the interface; the host cannot reach them through Invoke.
  virtual std::int32_t GetRegisterSelectInstruction();
  virtual std::int32_t GetRegisterAccessInstruction();
  virtual bool GetProcessorInformation(ComPtr<IDispatch>& info);
  virtual bool IsCPLD();
  virtual bool IsFPGA();
  virtual bool IsPROM();
  virtual bool IsPROC();
  virtual bool IsSPROC();
  virtual bool IsGPROC();
  // The factory of the build (0) and download (1) flows; null for every kind in the base.
  virtual ComPtr<IDispatch> CreateProcessFlow(std::int32_t flowKind);
  virtual void BeginDeviceAccess();
  virtual void EndDeviceAccess();
  virtual void WriteControlRegister();
  virtual void ReadControlRegister();
  virtual void OpenChannel();
  virtual void CloseChannel();

  // IDriverMemoryAccess: both answer 0.
  HRESULT STDMETHODCALLTYPE MemoryRead(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                       std::uint32_t, std::uint32_t* result) override;
  HRESULT STDMETHODCALLTYPE MemoryWrite(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                        std::uint32_t, std::uint32_t* result) override;

  // Properties over the control register: each reads one bit and writes it alone.
  bool ControlBit(ControlRegisterBit bit) const { return (FControlRegister & bit) != 0; }
  void SetControlBit(ControlRegisterBit bit, bool on) {
    FControlRegister = static_cast<std::uint8_t>(on ? (FControlRegister | bit) : (FControlRegister & ~bit));
  }
  std::uint8_t ControlRegister() const { return FControlRegister; }
  void SetControlRegister(std::uint8_t v) { FControlRegister = v; }

  const std::u16string& CustomConstraintFile() const { return FCustomConstraintFile; }
  IDispatch* VireoDevice() const { return FVireoDevice.get(); }

  // This driver as the host sees it.
  IDispatch* AsDispatch() { return static_cast<IDispatch*>(static_cast<TAbstractSupportService*>(this)); }

 protected:
  void* FindInterface(REFIID iid) override;

  // Makes the host's main window the owner of the module's windows (construction).
  void AttachToHostWindow();
  // Hands a new host device to the rack form, dropping the form when the device goes.
  void HandOverRackForm();

  ComPtr<IDispatch> FVireoDevice;
  ComPtr<IDispatch> FCallBack;
  std::u16string FCustomConstraintFile;
  ComPtr<IDispatch> FBuildFlow;
  ComPtr<IDispatch> FDownloadFlow;
  ComPtr<IDispatch> FVerifyFlow;
  ComPtr<IDispatch> FRackView;
  std::uint8_t FControlRegister = 0;
  std::u16string FCoreExt;
  // The device picture, built on the first GetBitmapHandle, and its handle.
  std::shared_ptr<const Bitmap> FDeviceImage;
  BitmapHandle FDeviceImageHandle = 0;
};

}  // namespace s4
