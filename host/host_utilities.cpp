#include "host/host_utilities.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "host/host_services.h"
#include "host/parameter_list.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/path.h"
#include "platform/widestring.h"

namespace s4::host {

std::u16string UpperCase(std::u16string_view text) {
  std::u16string s(text);
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return s;
}

// ---- Folders ------------------------------------------------------------------------------------

std::u16string SystemFolder() {
  return IncludeTrailingBackslash(UpperCase(ToHostPath(HostProgramOsFolder()))) + u"System\\";
}

std::u16string LibraryFolder() { return ModuleFolder() + u"Library\\"; }

std::u16string EDIFFolder() {
  IDispatch* api = ClientAPI();
  if (!api) return {};
  return UpperCase(IncludeTrailingBackslash(IDispClientAPI::GetRootFolder(api).view()) + u"EDIF\\");
}

std::u16string ConstraintFolder() {
  IDispatch* api = ClientAPI();
  if (!api) return {};
  // File names are appended to it, so it ends in "\" like every other folder here, whether
  // or not the host wrote one; an empty answer stays empty (no folder).
  const std::u16string folder = IDispClientAPI::GetConstraintFolder(api).str();
  return folder.empty() ? folder : IncludeTrailingBackslash(folder);
}

std::u16string TempFolder() { return SystemTempFolder(); }

std::u16string TempFileName() { return CreateTempFileName(u"Pro"); }

void ForEachPluginFolder(const std::function<bool(const std::u16string& folder)>& action) {
  IDispatch* client = Client();
  if (!client) return;
  Object registry = IDispClient::GetPluginsRegistry(client);
  if (!registry) return;
  const std::int32_t count = IDispPluginsRegistry::GetCount(registry);
  for (std::int32_t i = 0; i < count; ++i) {
    Object item = IDispPluginsRegistry::GetItem(registry, i);
    if (!item || IDispPluginItem::GetExclusion(item) != 0) continue;
    if (!action(IncludeTrailingBackslash(IDispPluginItem::GetFolder(item).view()))) return;
  }
}

std::u16string EmbeddedExtensionFolder() {
  const std::u16string system = SystemFolder();
  if (FileExists(system + std::u16string(kToolchainManagerModule))) return system;
  std::u16string found;
  ForEachPluginFolder([&](const std::u16string& folder) {
    if (!FileExists(folder + std::u16string(kToolchainManagerModule))) return true;
    found = folder;
    return false;
  });
  return found;
}

// ---- Sibling modules ----------------------------------------------------------------------------

namespace {

struct ModuleCacheEntry {
  std::unique_ptr<LoadedLibrary> library;
  std::map<std::string, void*> entries;
};

// Loaded sibling modules by upper-case file name, kept for the module's life. A module that
// could not be found is not remembered, so that a later call can find it once the host has it.
std::map<std::u16string, ModuleCacheEntry>& ModuleCache() {
  static auto* cache = new std::map<std::u16string, ModuleCacheEntry>();
  return *cache;
}

std::unique_ptr<LoadedLibrary> FindAndLoad(std::u16string_view fileName) {
  std::string error;
  if (std::string loaded = LoadedModuleOsPath(fileName); !loaded.empty()) return LoadedLibrary::Open(loaded, &error);
  std::u16string path = SystemFolder() + std::u16string(fileName);
  if (!FileExists(path)) {
    path.clear();
    ForEachPluginFolder([&](const std::u16string& folder) {
      for (const std::u16string& name : FilesInFolder(folder)) {
        if (EqualsIgnoreCase(name, fileName)) {
          path = folder + name;
          return false;
        }
      }
      return true;
    });
  }
  if (path.empty()) return nullptr;
  return LoadedLibrary::Open(ResolveOsPath(path), &error);
}

}  // namespace

void* HostModuleEntry(std::u16string_view moduleFileName, const char* entryName) {
  auto& cache = ModuleCache();
  const std::u16string key = UpperCase(moduleFileName);
  auto it = cache.find(key);
  if (it == cache.end()) {
    auto lib = FindAndLoad(moduleFileName);
    if (!lib) return nullptr;
    lib->Leak();
    it = cache.emplace(key, ModuleCacheEntry{std::move(lib), {}}).first;
  }
  auto e = it->second.entries.find(entryName);
  if (e == it->second.entries.end()) e = it->second.entries.emplace(entryName, it->second.library->Symbol(entryName)).first;
  return e->second;
}

namespace {
using ObjectEntry = IDispatch* (*)();
using CountEntry = std::int32_t (*)();
using IndexedEntry = IDispatch* (*)(std::int32_t);

Object Borrowed(IDispatch* p) { return ComPtr<IDispatch>::Share(p); }
}  // namespace

Object DeviceManager() {
  auto entry = reinterpret_cast<ObjectEntry>(HostModuleEntry(kDeviceManagerModule, "GetDeviceManager"));
  return entry ? Borrowed(entry()) : Object();
}

Object Workspace() {
  // The workspace manager is the host's own; it is used only when the host has loaded it.
  if (LoadedModuleOsPath(kWorkspaceManagerModule).empty()) return {};
  auto entry = reinterpret_cast<ObjectEntry>(HostModuleEntry(kWorkspaceManagerModule, "GetWorkspace"));
  return entry ? Borrowed(entry()) : Object();
}

namespace {
// An entry of a module the host has already loaded; null otherwise.
void* LoadedModuleEntry(std::u16string_view module, const char* entry) {
  return LoadedModuleOsPath(module).empty() ? nullptr : HostModuleEntry(module, entry);
}
Object CallObjectEntry(void* entry) { return entry ? Borrowed(reinterpret_cast<ObjectEntry>(entry)()) : Object(); }
}  // namespace

Object ModelTypeManager() {
  HostModuleEntry(kIntegratedLibraryModule, "LibApi_GetDeviceSheetManager");
  return CallObjectEntry(HostModuleEntry(kIntegratedLibraryModule, "LibApi_GetModelTypeManager"));
}

Object IntegratedLibraryManager() {
  return CallObjectEntry(HostModuleEntry(kIntegratedLibraryModule, "LibApi_GetLibraryManager"));
}

Object VireoWorkbench() {
  IDispatch* client = Client();
  if (!client) return {};
  IDispClient::StartServer(client, u"FPGAFlow");
  return CallObjectEntry(LoadedModuleEntry(kFPGAFlowModule, "GetVireoWorkspace"));
}

Object VHDLSynthesizer() {
  if (void* e = LoadedModuleEntry(kEditVHDLModule, "GetEditVHDLSynthesizer")) return CallObjectEntry(e);
  IDispatch* client = Client();
  if (!client) return {};
  IDispClient::StartServer(client, u"EDITVHDL");
  return CallObjectEntry(LoadedModuleEntry(kEditVHDLModule, "GetEditVHDLSynthesizer"));
}

std::u16string ExpandRelativePath(std::u16string_view base, std::u16string_view relative) {
  using ExpandEntry = void (*)(const char16_t* base, const char16_t* relative, char16_t* result);
  static const auto entry = reinterpret_cast<ExpandEntry>(ProgramSymbol("VFSAPI_VFS_ExpandRelativePath"));
  if (!entry) return {};
  // The host fills a buffer of 4096 characters; the last one is kept as a terminator whatever
  // it writes.
  std::vector<char16_t> buffer(4096, u'\0');
  const std::u16string b(base), r(relative);
  entry(b.c_str(), r.c_str(), buffer.data());
  buffer.back() = u'\0';
  return std::u16string(buffer.data());
}

Object DeviceFamily(std::u16string_view familyName) {
  Object manager = DeviceManager();
  if (!manager) return {};
  Object families = IDispDeviceManager::GetFamilyManager(manager);
  if (!families) return {};
  return IDispDeviceFamilyManager::GetFamily(families, familyName);
}

Object FPGAFlowModule() {
  IDispatch* client = Client();
  return client ? IDispClient::GetServerModuleByName(client, u"FPGAFlow") : Object();
}

Object VendorToolManager() {
  Object flow = FPGAFlowModule();
  return flow ? IDispFPGAFlowModule::GetVendorToolManager(flow) : Object();
}

// ---- JTAG ports ---------------------------------------------------------------------------------

std::int32_t JTagPortCount() {
  auto entry = reinterpret_cast<CountEntry>(HostModuleEntry(kDeviceManagerModule, "GetJTagPortCount"));
  return entry ? entry() : 0;
}

Object JTagPort(std::int32_t index) {
  auto entry = reinterpret_cast<IndexedEntry>(HostModuleEntry(kDeviceManagerModule, "GetJTagPort"));
  return entry ? Borrowed(entry(index)) : Object();
}

std::int32_t JTagPortPosition(IDispatch* port) {
  if (!port) return -1;
  const std::int32_t n = JTagPortCount();
  for (std::int32_t i = 0; i < n; ++i)
    if (JTagPort(i).get() == port) return i;
  return -1;
}

// ---- Status text and progress -------------------------------------------------------------------

namespace {
constexpr std::int32_t kStatusText = 2;
constexpr std::int32_t kStatusClear = -1;
constexpr std::int32_t kProgressBegin = -3;
constexpr std::int32_t kProgressCaption = -5;
constexpr std::int32_t kProgressStep = -7;
constexpr std::int32_t kProgressEnd = -6;
constexpr std::int32_t kProgressDone = -4;

void SendStatus(std::int32_t code, std::u16string_view text) {
  if (Object gui = GUIManager()) IDispGUIManager::StatusBarSetState(gui, code, text);
}

struct ProgressState {
  std::int64_t total = 0;
  std::int64_t current = 0;
  std::int32_t lastPercent = 0;
};
std::vector<ProgressState>& ProgressStack() {
  static std::vector<ProgressState> stack;
  return stack;
}
}  // namespace

void SetStatusText(std::u16string_view text) { SendStatus(kStatusText, text); }
void ClearStatusText() { SendStatus(kStatusClear, u""); }

void BeginProgress(std::u16string_view caption, std::int64_t total) {
  ProgressStack().push_back({total, 0, 0});
  SendStatus(kProgressBegin, u"");
  SendStatus(kProgressCaption, caption);
}

void StepProgress(std::int64_t steps) {
  auto& stack = ProgressStack();
  if (stack.empty() || steps <= 0) return;
  ProgressState& s = stack.back();
  s.current += steps;
  std::int32_t percent = 100;
  if (s.total != 0) {
    const double p = std::round(static_cast<double>(s.current) * 100.0 / static_cast<double>(s.total));
    percent = p >= 100 ? 100 : (p <= 0 ? 0 : static_cast<std::int32_t>(p));
  }
  for (; s.lastPercent < percent; ++s.lastPercent) SendStatus(kProgressStep, u"");
}

std::int64_t QuietProgressSteps() {
  const auto& stack = ProgressStack();
  if (stack.empty()) return INT64_MAX;
  const ProgressState& s = stack.back();
  if (s.lastPercent >= 100 || s.total < 0) return INT64_MAX;
  if (s.total == 0) return 0;
  // The rounded percentage first exceeds lastPercent at the count c with 200 c >= (2 p + 1) t.
  const std::int64_t m = 2 * s.lastPercent + 1;
  const std::int64_t next = m * (s.total / 200) + (m * (s.total % 200) + 199) / 200;
  return std::max<std::int64_t>(0, next - s.current - 1);
}

void EndProgress() {
  auto& stack = ProgressStack();
  if (stack.empty()) return;
  stack.pop_back();
  SendStatus(kProgressEnd, u"");
  SendStatus(kProgressDone, u"");
}

// ---- Small utilities ----------------------------------------------------------------------------

void BusyWait(std::int32_t ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) std::this_thread::yield();
}

std::u16string BackslashesToSlashes(std::u16string_view path) {
  std::u16string s(path);
  for (char16_t& c : s)
    if (c == u'\\') c = u'/';
  return s;
}

std::u16string PadRight(std::u16string_view text, std::size_t width) {
  std::u16string s(text);
  if (s.size() < width) s.append(width - s.size(), u' ');
  return s;
}

std::u16string PadLeft(std::u16string_view text, std::size_t width) {
  std::u16string s(text);
  if (s.size() < width) s.insert(0, width - s.size(), u' ');
  return s;
}

bool TextToInteger(std::u16string_view text, std::int32_t& value) {
  if (text.empty()) {
    value = 0;
    return true;
  }
  std::int64_t v = 0;
  if (!ParseParameterInt64(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace s4::host
