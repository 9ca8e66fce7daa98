// Base-driver operations whose behaviour rests on the host or on other subsystems: support
// and action queries, vendor tools, the device picture, the embedded constraint file, the
// library folder, the rack viewer, the download shortcut and processor control over the
// host device's debug register.
//
// NOTE: until the host integration lands these answer the plain base values; each says
// what it will rest on.
#include "driver/vireo_driver.h"

#include <stdexcept>

#include "platform/module.h"

namespace s4 {

// Needs the host client (main window handle); without a host there is nothing to attach to.
void TVireoDriver::AttachToHostWindow() {}

// Needs the rack form (instrument views); there is none yet.
void TVireoDriver::HandOverRackForm() {}

// The device classes the driver belongs to; action strings come with parameter strings.
bool TVireoDriver::Supports(std::u16string_view name) {
  if (EqualsIgnoreCase(name, u"CPLD")) return IsCPLD();
  if (EqualsIgnoreCase(name, u"FPGA")) return IsFPGA();
  if (EqualsIgnoreCase(name, u"PROM")) return IsPROM();
  if (EqualsIgnoreCase(name, u"PROC")) return IsPROC();
  if (EqualsIgnoreCase(name, u"SPROC")) return IsSPROC();
  if (EqualsIgnoreCase(name, u"GPROC")) return IsGPROC();
  return true;  // entry 0 of the action table ("None") is supported
}

// A vendor the driver does not know has no tools to test: present and up to date.
WideString TVireoDriver::VendorToolsDescriptor() { return {}; }
bool TVireoDriver::VendorToolsPresent() { return true; }
bool TVireoDriver::VendorToolsUpToDate() { return true; }

// No generic picture without the host's System folder.
std::uint32_t TVireoDriver::GetBitmapHandle() { return 0; }

WideString TVireoDriver::GetEmbeddedConstraintFile() { return {}; }

// The folder of the module itself followed by "Library\".
WideString TVireoDriver::GetFolder_Library() { return ModuleFolder() + u"Library\\"; }

void TVireoDriver::CreateRackViewer() {}

void TVireoDriver::ReleaseResources() { FRackView.reset(); }

bool TVireoDriver::EPM_Download(std::u16string_view, std::u16string_view fileName, std::u16string_view) {
  if (!ResetDevice()) return false;
  ProgramDevice(fileName);
  return GetDeviceState() == TDeviceState::eDeviceState_Configured;
}

// ---- Device access and processor control --------------------------------------------------
// These talk to the host device's debug register; with no host device attached the first
// register access fails and the operation answers E_UNEXPECTED.

namespace {
[[noreturn]] void NoHostDevice() { throw std::runtime_error("no host device attached"); }
}  // namespace

void TVireoDriver::OpenChannel() {}
void TVireoDriver::CloseChannel() {}
void TVireoDriver::BeginDeviceAccess() { OpenChannel(); }
void TVireoDriver::EndDeviceAccess() { CloseChannel(); }
void TVireoDriver::WriteControlRegister() { NoHostDevice(); }
void TVireoDriver::ReadControlRegister() { NoHostDevice(); }

void TVireoDriver::ResetVireoRegisters() { NoHostDevice(); }
void TVireoDriver::PauseProcessor() { ReadControlRegister(); }
void TVireoDriver::ContinueProcessor() { ReadControlRegister(); }
void TVireoDriver::ResetProcessor() { PauseProcessor(); }
void TVireoDriver::RunSteps(std::int32_t) { ReadControlRegister(); }
void TVireoDriver::SingleStepProcessor() { PauseProcessor(); }
void TVireoDriver::RunSingleStepInSubstitutionRegister() { ReadControlRegister(); }
bool TVireoDriver::ProcessorIsPaused() {
  ReadControlRegister();
  return ControlBit(kDebugEnable) && ControlBit(kDebugAcknowledge);
}
bool TVireoDriver::ProcessorIsReset() {
  ReadControlRegister();
  return ControlBit(kReset);
}
bool TVireoDriver::ProcessorIsRunning() { return !ProcessorIsReset() && !ProcessorIsPaused(); }

}  // namespace s4
