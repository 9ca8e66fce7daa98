// TAbstractVireoDriver: the host's driver interface (DISPIDs 503753-503822, 508552-508554,
// 509312, 509376, 509427, 509470, 509981; listed in dispids/vireo_driver.inc) as virtual
// operations. Service name "VireoDriver". TVireoDriver supplies the defaults.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/abstract_device_information.h"

namespace s4 {

// Memory-space kinds (8-bit, carried as an integer in the VARIANT).
enum class TMemorySpaceKind : std::uint8_t { eMemorySpaceKind_Unknown = 0 };

// Configuration state of a device (8-bit, carried as an integer): 1 means no device or not
// configured, 2 configured.
enum class TDeviceState : std::uint8_t {
  eDeviceState_Unknown = 0,
  eDeviceState_NotConfigured = 1,
  eDeviceState_Configured = 2,
};

class TAbstractVireoDriver : public TAbstractDeviceInformation {
 public:
  using Parent = TAbstractDeviceInformation;
  using Parent::SupportsService;
  bool SupportsService(std::u16string_view name) override;
  const DispatchTableType& DispatchTable() const override;
  static const DispatchTableType& ClassTable();

  using Low32 = dispatch::Low32;
  using Raw32 = dispatch::Raw32;
  using InOutFlag = dispatch::InOutFlag;

  virtual ComPtr<IDispatch> GetVireoDevice() = 0;
  virtual bool SetVireoDevice(IDispatch* device) = 0;
  virtual bool Finalize() = 0;
  virtual std::uint32_t GetBitmapHandle() = 0;
  virtual bool SaveProcessorState() = 0;
  virtual bool RestoreProcessorState() = 0;
  virtual void CreateRackViewer() = 0;
  virtual ComPtr<IDispatch> GetRackViewer() = 0;
  virtual bool Supports(std::u16string_view name) = 0;
  virtual void ShowAboutDialog() = 0;
  virtual WideString VendorToolsDescriptor() = 0;
  virtual bool VendorToolsPresent() = 0;
  virtual bool VendorToolsUpToDate() = 0;
  virtual bool SetProcessorRegisterValue(std::int32_t index, Low32 value) = 0;
  virtual std::uint32_t GetProcessorRegisterValue(std::int32_t index) = 0;
  virtual std::uint32_t GetProcessorRegisterWidth(std::int32_t index) = 0;
  virtual WideString GetProcessorRegisterName(std::int32_t index) = 0;
  virtual WideString GetProcessorRegisterShortName(std::int32_t index) = 0;
  virtual std::int32_t GetProcessorRegisterCount() = 0;
  virtual std::int32_t GetRegisterIndex_PC() = 0;
  virtual std::int32_t GetRegisterIndex_SP() = 0;
  virtual std::int32_t GetSoftBreakpointAddressByteAlign() = 0;
  virtual std::uint32_t GetMemorySpaceWidth(std::int32_t index) = 0;
  virtual TMemorySpaceKind GetMemorySpaceKind(std::int32_t index) = 0;
  virtual std::uint32_t GetMemorySpaceBytesPerUnit(std::int32_t index) = 0;
  virtual WideString GetMemorySpaceName(std::int32_t index) = 0;
  virtual WideString GetMemorySpaceShortName(std::int32_t index) = 0;
  virtual std::int32_t GetMemorySpaceCount() = 0;
  virtual std::int32_t GetMemorySpace_Program() = 0;
  virtual bool InitDownload(std::int32_t index) = 0;
  virtual bool FinishDownload(std::int32_t index) = 0;
  virtual bool RunDiagnostic() = 0;
  virtual bool LittleEndian() = 0;
  virtual bool ResetDevice() = 0;
  virtual TDeviceState GetDeviceState() = 0;
  virtual std::int32_t ProgramDevice(std::u16string_view fileName) = 0;
  virtual std::uint32_t ReadUserCode() = 0;
  virtual ComPtr<IDispatch> FlowStage_Build() = 0;
  virtual ComPtr<IDispatch> FlowStage_Download() = 0;
  virtual WideString CoreGen_OutputExtension() = 0;
  virtual void ResetVireoRegisters() = 0;
  virtual void SingleStepProcessor() = 0;
  virtual void RunSingleStepInSubstitutionRegister() = 0;
  virtual void ResetProcessor() = 0;
  virtual void PauseProcessor() = 0;
  virtual void ContinueProcessor() = 0;
  virtual void RunSteps(std::int32_t count) = 0;
  virtual bool ProcessorIsPaused() = 0;
  virtual bool ProcessorIsReset() = 0;
  virtual bool ProcessorIsRunning() = 0;
  virtual bool ProcessorIsUsingReducedInstructionSet() = 0;
  virtual bool Flash_Reset() = 0;
  virtual std::int32_t Flash_Program(std::u16string_view fileName) = 0;
  virtual void Flash_Configure() = 0;
  virtual bool SetProcessorRegisterWideValue(std::int32_t index, std::u16string_view value) = 0;
  virtual WideString GetProcessorRegisterWideValue(std::int32_t index) = 0;
  virtual bool ConfigureFpgaProject(IDispatch* project) = 0;
  virtual bool ShowConfiguration() = 0;
  virtual void ShowCurrentSensePanel() = 0;
  virtual void ReleaseResources() = 0;
  virtual bool InvalidateResources() = 0;
  virtual void CustomAction_Execute(std::int32_t index) = 0;
  virtual void CustomAction_GetState(std::int32_t index, InOutFlag& enabled, InOutFlag& checked,
                                     InOutFlag& visible, Raw32 value1, Raw32 value2) = 0;
  virtual bool EPM_Download(std::u16string_view a, std::u16string_view b, std::u16string_view c) = 0;
  virtual bool EPM_InititateTest() = 0;
  virtual std::int32_t EPM_GetTestResult(std::int32_t index) = 0;
  virtual void EPM_SetPercentCallBack(IDispatch* callback) = 0;
  virtual bool Flash_ResetForBitStream() = 0;
  virtual WideString GetEmbeddedConstraintFile() = 0;
  virtual void SetEmbeddedConstraintFile(std::u16string_view fileName) = 0;
  virtual std::uint32_t AddSoftBreakpoint(std::int32_t index, std::int64_t address) = 0;
  virtual bool RemoveSoftBreakpoint(std::int32_t index, std::int64_t address, Low32 value) = 0;
  virtual std::int64_t GetMemorySpaceLength(std::int32_t index) = 0;
  virtual WideString GetFolder_Library() = 0;
  virtual ComPtr<IDispatch> ClockCoreGenerator() = 0;
  virtual ComPtr<IDispatch> ClockCoreTemplateGenerator() = 0;
  virtual ComPtr<IDispatch> ClockGeneratorTargetCore() = 0;
  virtual ComPtr<IDispatch> CustomCoreGenerator(std::int32_t index) = 0;
};

}  // namespace s4
