// Module-level services through which the module reaches the host and its sibling modules:
// special folders, plug-in folders, the host's sibling modules and their entry points, JTAG
// ports, status text and progress, and small text utilities. Each is a free function; missing
// host objects are not errors, they answer "nothing" (null, empty text, 0, -1) and the caller
// skips its work.
//
// Sibling modules are found by file name: one already loaded into the process is used;
// otherwise the file is looked for in the host's System folder and then, top level only, in
// each plug-in folder (in registry order, excluded items skipped). A module is loaded once and
// kept, and each entry point is resolved once. Entry points answer borrowed references: the
// host keeps its objects, the module takes its own reference when it keeps one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "host/host_call.h"

namespace s4::host {

// File names of the host's sibling modules.
inline constexpr std::u16string_view kDeviceManagerModule = u"DeviceManager.DLL";
inline constexpr std::u16string_view kWorkspaceManagerModule = u"WorkspaceManager.DLL";
inline constexpr std::u16string_view kToolchainManagerModule = u"ToolchainManager.DLL";
inline constexpr std::u16string_view kIntegratedLibraryModule = u"IntegratedLibrary.DLL";
inline constexpr std::u16string_view kFPGAFlowModule = u"FPGAFlow.DLL";
inline constexpr std::u16string_view kEditVHDLModule = u"EditVHDL.DLL";

// ---- Folders (host path texts, each ending in "\") --------------------------------------------
// The host program's folder in upper case, then "System\".
std::u16string SystemFolder();
// The module's own folder, then "Library\".
std::u16string LibraryFolder();
// The client API's root folder (operation 770), then "EDIF\", all in upper case; empty
// without a client API.
std::u16string EDIFFolder();
// The folder that client API operation 787 answers, with a "\" added when the host wrote
// none; empty without a client API or when the host answers an empty text.
std::u16string ConstraintFolder();
// The system's temporary folder.
std::u16string TempFolder();
// A new unique file in the temporary folder with the prefix "Pro"; empty when none can be made.
std::u16string TempFileName();
// The System folder when it holds the toolchain manager's module file, else the first plug-in
// folder that holds it; empty when none does.
std::u16string EmbeddedExtensionFolder();

// Calls `action` with each plug-in folder (with a trailing "\"), in registry order, skipping
// excluded items, until it answers false.
void ForEachPluginFolder(const std::function<bool(const std::u16string& folder)>& action);

// ---- Sibling modules ----------------------------------------------------------------------------
// An entry point of a sibling module, or null when the module or the entry is missing.
void* HostModuleEntry(std::u16string_view moduleFileName, const char* entryName);

Object DeviceManager();  // null without the device manager module
Object Workspace();      // only when the workspace manager is already loaded
// The host's device family of that name (device manager -> family manager -> family), or null.
Object DeviceFamily(std::u16string_view familyName);
// The integrated library's managers (module loader); the device-sheet manager's entry is
// resolved with them but not called.
Object ModelTypeManager();
Object IntegratedLibraryManager();
// The soft-device workbench: the host server "FPGAFlow" is started, then its loaded module asked.
Object VireoWorkbench();
// The VHDL synthesizer: taken from the loaded VHDL editor, else the server "EDITVHDL" is started
// and it is taken again.
Object VHDLSynthesizer();
// An absolute path for `relative` against `base`, through the host program's virtual file
// system ("VFSAPI_VFS_ExpandRelativePath"); empty when the host has no such entry.
std::u16string ExpandRelativePath(std::u16string_view base, std::u16string_view relative);

// The server module "FPGAFlow" of the client, and its vendor-tool manager (509009).
Object FPGAFlowModule();
Object VendorToolManager();

// ---- JTAG ports ---------------------------------------------------------------------------------
std::int32_t JTagPortCount();                 // 0 without the device manager
Object JTagPort(std::int32_t index);          // null when absent
std::int32_t JTagPortPosition(IDispatch* port);  // first index holding that object; -1 otherwise

// ---- Status text and progress through the GUI manager ---------------------------------------
void SetStatusText(std::u16string_view text);  // code 2
void ClearStatusText();                        // code -1, empty text
// Progress: begin shows the caption and pushes a state; each step sends one host step per whole
// percent gained; end pops the state. Step and end do nothing while no progress runs.
void BeginProgress(std::u16string_view caption, std::int64_t total);
void StepProgress(std::int64_t steps = 1);  // as that many single steps
void EndProgress();
// How many single steps from now send nothing to the host (the one after them does), so that
// a caller stepping once per item can step in batches and the host still sees every change
// after the same item.
std::int64_t QuietProgressSteps();

// ---- Small utilities ----------------------------------------------------------------------------
// Waits `ms` milliseconds, yielding the processor between checks of the clock.
void BusyWait(std::int32_t ms);
std::u16string BackslashesToSlashes(std::u16string_view path);
std::u16string PadRight(std::u16string_view text, std::size_t width);
std::u16string PadLeft(std::u16string_view text, std::size_t width);
// An empty text counts as 0 and succeeds; otherwise the whole text must be an integer.
bool TextToInteger(std::u16string_view text, std::int32_t& value);
// ASCII upper case.
std::u16string UpperCase(std::u16string_view text);

}  // namespace s4::host
