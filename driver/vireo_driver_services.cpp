// Base-driver operations whose behaviour rests on the host or on other subsystems: support
// and action queries, vendor tools, the device picture, the embedded constraint file, the
// library folder, the rack viewer, the download shortcut and processor control over the
// host device's debug register.
#include "driver/vireo_driver.h"

#include "flow/vendor_tools.h"
#include "driver/device_picture.h"
#include "host/host_services.h"
#include "host/host_utilities.h"
#include "host/parameter_list.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/widestring.h"

#include <stdexcept>
#include <vector>

namespace s4 {

// The host's main window becomes the owner of the module's windows, so that its dialogs
// belong to the host window. Without a host client there is nothing to attach to.
void TVireoDriver::AttachToHostWindow() {
  if (IDispatch* client = host::Client())
    host::SetApplicationOwnerWindow(host::IDispClient::GetMainWindowHandle(client));
}

// Needs the rack form (instrument views); there is none yet.
void TVireoDriver::HandOverRackForm() {}

namespace {
// The actions the host may ask about, by entry number. A name that is not listed counts as
// entry 0 ("None").
constexpr std::u16string_view kActions[] = {
    u"None", u"PauseProcessor", u"ContinueProcessor", u"ResetProcessor", u"SingleStepProcessor",
    u"CompileProgram", u"DownloadProgram", u"StartDebug", u"StartAttach", u"EndDebug",
    u"ShowAboutDialog", u"ResetDevice", u"DownloadToDevice", u"ShowViewer", u"ChooseAndDownload",
    u"ProcessorMenu", u"ConfigureJTAGIdMapping", u"Flash_ResetDevice", u"Flash_ConfigureDevice",
    u"Flash_DownloadDevice", u"Flash_ChooseAndDownload", u"WriteToFlash", u"ConfigureFpgaProject",
    u"ShowConfiguration", u"ShowCurrentSense", u"CustomAction", u"OnDblClick", u"HideViewer",
    u"UpdateFirmware", u"ToggleFirmwareAutoUpdate", u"VerifyProgram"};

std::size_t ActionEntry(std::u16string_view action) {
  for (std::size_t i = 0; i < std::size(kActions); ++i)
    if (EqualsIgnoreCase(kActions[i], action)) return i;
  return 0;
}

// Processor, program and flash actions are not this driver's.
bool ActionSupported(std::size_t entry) {
  return !((entry >= 1 && entry <= 9) || entry == 15 || (entry >= 17 && entry <= 20) || entry == 30);
}
}  // namespace

// The device classes the driver belongs to, then actions, named directly or as the "Action"
// of a parameter string. A request that names a toolchain is not the driver's.
bool TVireoDriver::Supports(std::u16string_view name) {
  if (EqualsIgnoreCase(name, u"CPLD")) return IsCPLD();
  if (EqualsIgnoreCase(name, u"FPGA")) return IsFPGA();
  if (EqualsIgnoreCase(name, u"PROM")) return IsPROM();
  if (EqualsIgnoreCase(name, u"PROC")) return IsPROC();
  if (EqualsIgnoreCase(name, u"SPROC")) return IsSPROC();
  if (EqualsIgnoreCase(name, u"GPROC")) return IsGPROC();
  std::u16string value;
  if (GetParameterFromString(name, u"ToolchainName", value) && !value.empty()) return false;
  std::u16string action;
  if (!GetParameterFromString(name, u"Action", action)) action.assign(name);
  return ActionSupported(ActionEntry(action));
}

// The tools of the driver's own vendor; a vendor without known tools has nothing to test and
// counts as present and up to date.
WideString TVireoDriver::VendorToolsDescriptor() { return VendorToolsDescriptorFor(GetVendorName().view()); }
bool TVireoDriver::VendorToolsPresent() { return VendorToolsPresentFor(GetVendorName().view()); }
bool TVireoDriver::VendorToolsUpToDate() { return VendorToolsUpToDateFor(GetVendorName().view()); }

std::optional<Bitmap> BuildDevicePicture(std::u16string_view systemFolder, std::u16string_view libraryFolder,
                                         std::u16string_view familyName) {
  const std::u16string genericPath = std::u16string(systemFolder) + u"Generic_Hard_Device.bmp";
  if (!FileExists(genericPath)) return std::nullopt;
  std::string why;
  std::optional<Bitmap> picture = Bitmap::LoadBmp(genericPath, &why);
  if (!picture) throw std::runtime_error(Utf16ToUtf8(genericPath) + ": " + why);
  const std::u16string familyPath =
      std::u16string(libraryFolder) + u"DeviceImages\\" + std::u16string(familyName) + u".bmp";
  if (FileExists(familyPath)) {
    if (std::optional<Bitmap> family = Bitmap::LoadBmp(familyPath, &why)) {
      // Division rounds toward zero, also when the family picture is the larger one.
      picture->OverlayWithoutCorners(*family, (picture->width() - family->width()) / 2,
                                     (picture->height() - family->height()) / 2);
    }
  }
  return picture;
}

// The picture is built once; while there is none (no generic picture yet) every call tries
// again.
std::uint32_t TVireoDriver::GetBitmapHandle() {
  if (!FDeviceImage) {
    std::optional<Bitmap> picture = BuildDevicePicture(host::SystemFolder(), GetFolder_Library().view(),
                                                       GetFamilyName().view());
    if (!picture) return 0;
    FDeviceImage = std::make_shared<const Bitmap>(std::move(*picture));
    FDeviceImageHandle = MakeBitmapHandle(FDeviceImage);
  }
  return FDeviceImageHandle;
}

namespace {
// The first existing path for a constraint file name: as given, in the module's
// "Library\Embedded\", in the host's constraint folder, in the embedded extension's
// "Library\Embedded\". Empty for an empty name or when none exists.
std::u16string ResolveConstraintFile(std::u16string_view name) {
  if (name.empty()) return {};
  const std::u16string n(name);
  if (FileExists(n)) return n;
  const std::u16string own = ModuleFolder() + u"Library\\Embedded\\" + n;
  if (FileExists(own)) return own;
  if (const std::u16string folder = host::ConstraintFolder(); !folder.empty() && FileExists(folder + n))
    return folder + n;
  if (const std::u16string ext = host::EmbeddedExtensionFolder(); !ext.empty()) {
    const std::u16string path = ext + u"Library\\Embedded\\" + n;
    if (FileExists(path)) return path;
  }
  return {};
}
}  // namespace

WideString TVireoDriver::GetEmbeddedConstraintFile() {
  if (!FCustomConstraintFile.empty())
    if (std::u16string path = ResolveConstraintFile(FCustomConstraintFile); !path.empty()) return path;
  std::vector<std::u16string> names = {GetDeviceName().str() + u".Constraint",
                                       GetDeviceParameter(u"ProcessorDeviceName").str() + u".Constraint",
                                       GetBaseName().str() + u".Constraint", GetFamilyName().str() + u".Constraint"};
  ComPtr<IDispatch> info;
  if (GetProcessorInformation(info) && info)
    names.push_back(host::IDispProcessorInformation::GetProcessorName(info).str() + u".Constraint");
  for (const std::u16string& n : names)
    if (std::u16string path = ResolveConstraintFile(n); !path.empty()) return path;
  return {};
}

// The folder of the module itself followed by "Library\".
WideString TVireoDriver::GetFolder_Library() { return host::LibraryFolder(); }

void TVireoDriver::CreateRackViewer() {}

void TVireoDriver::ReleaseResources() { FRackView.reset(); }

bool TVireoDriver::EPM_Download(std::u16string_view, std::u16string_view fileName, std::u16string_view) {
  if (!ResetDevice()) return false;
  ProgramDevice(fileName);
  return GetDeviceState() == TDeviceState::eDeviceState_Configured;
}

// ---- Device access and processor control --------------------------------------------------
// A soft processor behind the host device is controlled through the device's 8-bit debug
// control register (register 64, always length 8). FControlRegister is the local copy: the
// Set... steps change it, a write sends it, a read refreshes it. With no host device attached
// open and close do nothing and the first register access raises, so the operation answers
// E_UNEXPECTED and stops there.

namespace {
constexpr std::int32_t kControlRegisterNumber = 64;
constexpr std::int32_t kControlRegisterLength = 8;

host::Object ChannelOf(IDispatch* device) {
  return device ? host::IDispVireoDevice::GetJTagChannel(device) : host::Object();
}
}  // namespace

void TVireoDriver::OpenChannel() {
  if (host::Object channel = ChannelOf(FVireoDevice.get())) host::IDispJTagChannel::Open(channel);
}
void TVireoDriver::CloseChannel() {
  if (host::Object channel = ChannelOf(FVireoDevice.get())) host::IDispJTagChannel::Close(channel);
}
void TVireoDriver::BeginDeviceAccess() {
  OpenChannel();
  host::IDispVireoDevice::BeginRegisterAccess(FVireoDevice);
}
void TVireoDriver::EndDeviceAccess() {
  host::IDispVireoDevice::EndRegisterAccess(FVireoDevice);
  CloseChannel();
}
void TVireoDriver::WriteControlRegister() {
  host::IDispVireoDevice::WriteDebugRegister(FVireoDevice, kControlRegisterNumber, kControlRegisterLength,
                                             FControlRegister);
}
void TVireoDriver::ReadControlRegister() {
  FControlRegister = static_cast<std::uint8_t>(
      host::IDispVireoDevice::ReadDebugRegister(FVireoDevice, kControlRegisterNumber, kControlRegisterLength));
}

void TVireoDriver::ResetVireoRegisters() {
  OpenChannel();
  // The instruction load needs the channel; without a device or channel the call raises.
  host::Object channel = ChannelOf(FVireoDevice.get());
  const std::int32_t position = host::IDispVireoDevice::GetChainPosition(FVireoDevice);
  host::IDispJTagChannel::SetInstruction(channel, 2, position);
  CloseChannel();
}

void TVireoDriver::PauseProcessor() {
  OpenChannel();
  ReadControlRegister();
  for (ControlRegisterBit b : {kStepCounterBreakpointEnable, kReset, kDebugAcknowledge, kDebugStep,
                               kDebuggerProgramSelect})
    SetControlBit(b, false);
  SetControlBit(kDebugEnable, true);
  SetControlBit(kDebugRequest, true);
  WriteControlRegister();
  ReadControlRegister();
  CloseChannel();
}

void TVireoDriver::ContinueProcessor() {
  OpenChannel();
  ReadControlRegister();
  for (ControlRegisterBit b : {kStepCounterBreakpointEnable, kReset, kDebugEnable, kDebugAcknowledge,
                               kDebugRequest, kDebugStep, kDebuggerProgramSelect})
    SetControlBit(b, false);
  SetControlBit(kDebugEnable, true);
  SetControlBit(kDebugRequest, true);
  WriteControlRegister();
  SetControlBit(kDebugRequest, false);
  WriteControlRegister();
  ReadControlRegister();
  CloseChannel();
}

void TVireoDriver::ResetProcessor() {
  OpenChannel();
  PauseProcessor();
  SetControlBit(kReset, true);
  WriteControlRegister();
  SetControlBit(kReset, false);
  WriteControlRegister();
  ReadControlRegister();
  CloseChannel();
}

void TVireoDriver::RunSteps(std::int32_t count) {
  OpenChannel();
  ReadControlRegister();
  PauseProcessor();
  SetControlBit(kReset, false);
  SetControlBit(kDebugRequest, true);
  SetControlBit(kDebugEnable, true);
  WriteControlRegister();
  SetControlBit(kDebugStep, true);
  for (std::int32_t i = 0; i < count; ++i) WriteControlRegister();
  ReadControlRegister();
  CloseChannel();
}

void TVireoDriver::SingleStepProcessor() {
  OpenChannel();
  PauseProcessor();
  ReadControlRegister();
  SetControlBit(kReset, false);
  SetControlBit(kDebugRequest, true);
  SetControlBit(kDebugEnable, true);
  WriteControlRegister();
  SetControlBit(kDebugStep, true);
  WriteControlRegister();
  ReadControlRegister();
  CloseChannel();
}

void TVireoDriver::RunSingleStepInSubstitutionRegister() {
  OpenChannel();
  ReadControlRegister();
  SetControlBit(kReset, false);
  SetControlBit(kDebugRequest, true);
  SetControlBit(kDebugEnable, true);
  WriteControlRegister();
  SetControlBit(kDebuggerProgramSelect, true);
  WriteControlRegister();
  SetControlBit(kDebugStep, true);
  WriteControlRegister();
  SetControlBit(kDebuggerProgramSelect, false);
  SetControlBit(kDebugStep, false);
  WriteControlRegister();
  ReadControlRegister();
  CloseChannel();
}

bool TVireoDriver::ProcessorIsPaused() {
  OpenChannel();
  ReadControlRegister();
  const bool paused = ControlBit(kDebugEnable) && ControlBit(kDebugAcknowledge);
  CloseChannel();
  return paused;
}

bool TVireoDriver::ProcessorIsReset() {
  OpenChannel();
  ReadControlRegister();
  const bool reset = ControlBit(kReset);
  CloseChannel();
  return reset;
}

bool TVireoDriver::ProcessorIsRunning() {
  if (ProcessorIsReset()) return false;
  return !ProcessorIsPaused();
}

}  // namespace s4
