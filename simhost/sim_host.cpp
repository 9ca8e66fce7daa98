#include "simhost/sim_host.h"

#include <cstdlib>
#include <algorithm>
#include <filesystem>

#include "host/host_dispids.h"
#include "platform/environment.h"
#include "platform/module.h"
#include "platform/widestring.h"

namespace s4::sim {

namespace id = s4::hostid;

namespace {
Variant I4(std::int32_t v) { return Variant(v); }

template <class Map>
auto FindIgnoringCase(Map& m, std::u16string_view key) {
  for (auto it = m.begin(); it != m.end(); ++it)
    if (EqualsIgnoreCase(it->first, key)) return it;
  return m.end();
}
}  // namespace

SimHost::SimHost() : client(SimObject::Make("client")), clientApi(SimObject::Make("clientApi")) { Build(); }

SimHost& SimHost::Instance() {
  static SimHost* host = new SimHost();  // lives as long as the module may call it
  return *host;
}

SimHost& SimHost::Configure(const HostDescription& d) {
  SimHost& h = Instance();
  h.desc_ = d;
  h.Build();
  return h;
}

std::string SimHost::HostFolder() const {
  std::string f = desc_.hostFolder;
  if (f.empty()) f = std::filesystem::path(ThisProgramOsPath()).parent_path().string();
  if (!f.empty() && f.back() != '/') f += '/';
  return f;
}
std::string SimHost::SystemFolder() const { return HostFolder() + "System/"; }

void SimHost::Build() {
  SimObject::Journal().clear();
  if (desc_.hostFolder.empty()) {
    UnsetEnv("S4_HOST_DIR");
  } else {
    SetEnv("S4_HOST_DIR", desc_.hostFolder);
  }
  if (!desc_.hostFolder.empty() && desc_.linkSiblingModules) {
    // The sibling modules, where the module looks for the host's modules.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path system = fs::path(SystemFolder());
    fs::create_directories(system, ec);
    for (const char* name : {"DeviceManager.DLL", "WorkspaceManager.DLL", "IntegratedLibrary.DLL"}) {
      const fs::path from = fs::path(S4_SIM_SYSTEM_DIR) / name;
#if defined(_WIN32)
      // Links need a privilege on Windows; a copy serves as well.
      if (fs::exists(from, ec) && !fs::exists(system / name, ec)) fs::copy_file(from, system / name, ec);
#else
      if (fs::exists(from, ec) && !fs::exists(system / name, ec)) fs::create_symlink(from, system / name, ec);
#endif
    }
  }

  client->Reset();
  clientApi->Reset();
  guiManager = SimObject::Make("guiManager");
  pluginsRegistry = SimObject::Make("pluginsRegistry");
  deviceManager = SimObject::Make("deviceManager");
  familyManager = SimObject::Make("familyManager");
  familyObjects.clear();
  jtagPorts.clear();
  modelTypeManager = SimObject::Make("modelTypeManager");
  libraryManager = SimObject::Make("libraryManager");
  deviceSheetManager = SimObject::Make("deviceSheetManager");
  vireoWorkbench = SimObject::Make("vireoWorkbench");
  vhdlSynthesizer = SimObject::Make("vhdlSynthesizer");
  for (std::int32_t i = 0; i < desc_.jtagPorts; ++i) jtagPorts.push_back(SimObject::Make("port" + std::to_string(i)));
  fpgaFlowModule = desc_.fpgaFlow ? SimObject::Make("fpgaFlowModule") : nullptr;
  vendorToolManager = desc_.fpgaFlow ? SimObject::Make("vendorToolManager") : nullptr;

  // The client and its managers.
  client->Answer(id::IDispClient::GetMainWindowHandle, I4(desc_.mainWindowHandle));
  client->Answer(id::IDispClient::GetGUIManager, ObjectResult(guiManager));
  client->Answer(id::IDispClient::GetClientAPI, ObjectResult(desc_.clientApi ? clientApi : nullptr));
  client->Answer(id::IDispClient::GetPluginsRegistry, ObjectResult(pluginsRegistry));
  client->On(id::IDispClient::GetServerModuleByName, [this](SimCall& c) {
    if (fpgaFlowModule && EqualsIgnoreCase(c.Text(0), u"FPGAFlow")) return ObjectResult(fpgaFlowModule);
    return ObjectResult(nullptr);
  });
  // Starting a server loads its module, as the host does.
  client->On(id::IDispClient::StartServer, [this](SimCall& c) {
    const std::u16string name = c.Text(0);
    const char* file = EqualsIgnoreCase(name, u"FPGAFlow") ? "FPGAFlow.DLL"
                       : EqualsIgnoreCase(name, u"EDITVHDL") ? "EditVHDL.DLL"
                                                              : nullptr;
    if (!file) return Variant(false);
    auto lib = LoadedLibrary::Open(std::string(S4_SIM_SYSTEM_DIR) + "/" + file, nullptr);
    if (lib) lib->Leak();
    return Variant(lib != nullptr);
  });

  clientApi->Answer(id::IDispClientAPI::GetRootFolder, Variant(std::u16string_view(desc_.rootFolder)));
  clientApi->Answer(id::IDispClientAPI::GetConstraintFolder, Variant(std::u16string_view(desc_.constraintFolder)));
  clientApi->Answer(id::IDispClientAPI::SetBusyCursor, Variant());
  clientApi->Answer(id::IDispClientAPI::ResetBusyCursor, Variant());

  // Status text and progress are only recorded.
  guiManager->Answer(id::IDispGUIManager::StatusBarSetState, Variant());
  guiManager->Answer(id::IDispGUIManager::UpdateCommandStates, Variant());

  // Plug-in registry with its items.
  std::vector<ComPtr<SimObject>> items;
  for (std::size_t i = 0; i < desc_.plugins.size(); ++i) {
    auto item = SimObject::Make("pluginItem" + std::to_string(i));
    item->Answer(id::IDispPluginItem::GetFolder, Variant(std::u16string_view(desc_.plugins[i].folder)));
    item->Answer(id::IDispPluginItem::GetExclusion, I4(desc_.plugins[i].exclusion));
    items.push_back(item);
  }
  pluginsRegistry->Answer(id::IDispPluginsRegistry::GetCount, I4(static_cast<std::int32_t>(items.size())));
  pluginsRegistry->On(id::IDispPluginsRegistry::GetItem, [items](SimCall& c) {
    const std::int32_t i = c.Int(0);
    if (i < 0 || i >= static_cast<std::int32_t>(items.size())) throw DISP_E_BADINDEX;
    return ObjectResult(items[static_cast<std::size_t>(i)]);
  });

  // Device manager with its device families.
  for (const FamilyDescription& f : desc_.families) {
    auto fam = SimObject::Make("family:" + Utf16ToUtf8(f.name));
    auto props = f.properties;
    fam->On(id::IDispDeviceFamily::HasProperty,
            [props](SimCall& c) { return Variant(FindIgnoringCase(props, c.Text(0)) != props.end()); });
    fam->On(id::IDispDeviceFamily::GetPropertyAsBoolean, [props](SimCall& c) {
      auto it = FindIgnoringCase(props, c.Text(0));
      bool b = false;
      if (it != props.end()) it->second.ToBool(b);
      return Variant(b);
    });
    fam->On(id::IDispDeviceFamily::GetPropertyAsInteger, [props](SimCall& c) {
      auto it = FindIgnoringCase(props, c.Text(0));
      std::int32_t v = 0;
      if (it != props.end()) it->second.ToInt32(v);
      return Variant(v);
    });
    fam->On(id::IDispDeviceFamily::GetPropertyAsText, [props](SimCall& c) {
      auto it = FindIgnoringCase(props, c.Text(0));
      std::u16string v;
      if (it != props.end()) it->second.ToText(v);
      return Variant(std::u16string_view(v));
    });
    familyObjects[f.name] = fam;
  }
  familyManager->On(id::IDispDeviceFamilyManager::GetFamily, [this](SimCall& c) {
    auto it = FindIgnoringCase(familyObjects, c.Text(0));
    return ObjectResult(it == familyObjects.end() ? nullptr : it->second);
  });
  deviceManager->Answer(id::IDispDeviceManager::GetFamilyManager, ObjectResult(familyManager));

  // Workspace with its output panel, messages manager, projects and documents.
  workspace = desc_.workspace ? SimObject::Make("workspace") : nullptr;
  messagesManager = desc_.workspace ? SimObject::Make("messagesManager") : nullptr;
  projectObjects.clear();
  documentObjects.clear();
  if (workspace) {
    // The host has its workspace manager loaded before any plug-in asks for it.
    static const bool loaded = [] {
      auto lib = LoadedLibrary::Open(std::string(S4_SIM_SYSTEM_DIR) + "/WorkspaceManager.DLL", nullptr);
      if (lib) lib->Leak();
      return lib != nullptr;
    }();
    (void)loaded;
    for (DISPID m : {id::IDispMessagesManager::AddMessage, id::IDispMessagesManager::AddMessageParameters,
                     id::IDispMessagesManager::BeginUpdate, id::IDispMessagesManager::EndUpdate})
      messagesManager->Answer(m, Variant());
    workspace->Answer(id::IDispWorkspace::GetMessagesManager, ObjectResult(messagesManager));
    workspace->Answer(id::IDispWorkspace::WriteOutputLine, Variant());
    workspace->Answer(id::IDispWorkspace::GetOutputPosition, I4(0));
    for (std::size_t p = 0; p < desc_.projects.size(); ++p) {
      const ProjectDescription& pd = desc_.projects[p];
      auto project = SimObject::Make("project:" + Utf16ToUtf8(pd.path));
      std::vector<ComPtr<SimObject>> docs;
      for (const DocumentDescription& dd : pd.documents) {
        auto doc = SimObject::Make("document:" + Utf16ToUtf8(dd.path));
        doc->Answer(id::IDispDocument::GetFullPath, Variant(std::u16string_view(dd.path)));
        const auto slash = dd.path.find_last_of(u"\\/");
        doc->Answer(id::IDispDocument::GetFileName,
                    Variant(std::u16string_view(dd.path).substr(slash == std::u16string::npos ? 0 : slash + 1)));
        doc->Answer(id::IDispDocument::GetKind, Variant(std::u16string_view(dd.kind)));
        doc->Answer(id::IDispDocument::GetCompiled, Variant(dd.compiled));
        doc->Answer(id::IDispDocument::GetProject, ObjectResult(project));
        docs.push_back(doc);
        documentObjects[dd.path] = doc;
      }
      project->Answer(id::IDispProject::GetFullPath, Variant(std::u16string_view(pd.path)));
      const auto slash = pd.path.find_last_of(u"\\/");
      project->Answer(id::IDispProject::GetFileName,
                      Variant(std::u16string_view(pd.path).substr(slash == std::u16string::npos ? 0 : slash + 1)));
      project->Answer(id::IDispProject::GetDocumentCount, I4(static_cast<std::int32_t>(docs.size())));
      project->On(id::IDispProject::GetDocument, [docs](SimCall& c) {
        const std::int32_t i = c.Int(0);
        if (i < 0 || i >= static_cast<std::int32_t>(docs.size())) throw DISP_E_BADINDEX;
        return ObjectResult(docs[static_cast<std::size_t>(i)]);
      });
      project->Answer(id::IDispProject::GetBuildProject, ObjectResult(nullptr));
      projectObjects.push_back(project);
    }
    auto projects = projectObjects;
    workspace->Answer(id::IDispWorkspace::GetProjectCount, I4(static_cast<std::int32_t>(projects.size())));
    workspace->On(id::IDispWorkspace::GetProject, [projects](SimCall& c) {
      const std::int32_t i = c.Int(0);
      if (i < 0 || i >= static_cast<std::int32_t>(projects.size())) throw DISP_E_BADINDEX;
      return ObjectResult(projects[static_cast<std::size_t>(i)]);
    });
    workspace->On(id::IDispWorkspace::GetProjectByPath, [this](SimCall& c) {
      for (std::size_t p = 0; p < desc_.projects.size(); ++p)
        if (EqualsIgnoreCase(desc_.projects[p].path, c.Text(0))) return ObjectResult(projectObjects[p]);
      return ObjectResult(nullptr);
    });
    workspace->On(id::IDispWorkspace::GetDocumentByPath, [this](SimCall& c) {
      auto it = FindIgnoringCase(documentObjects, c.Text(0));
      return ObjectResult(it == documentObjects.end() ? nullptr : it->second);
    });
  }

  // FPGA flow server with the vendor-tool manager.
  if (fpgaFlowModule) {
    fpgaFlowModule->Answer(id::IDispFPGAFlowModule::GetVendorToolManager, ObjectResult(vendorToolManager));
    auto tools = desc_.vendorTools;
    auto find = [tools](std::u16string_view vendor) -> const VendorToolDescription* {
      for (const auto& t : tools)
        if (EqualsIgnoreCase(t.vendor, vendor)) return &t;
      return nullptr;
    };
    vendorToolManager->On(id::IDispVendorToolManager::GetDescriptor, [find](SimCall& c) {
      auto t = find(c.Text(0));
      return Variant(t ? std::u16string_view(t->descriptor) : std::u16string_view());
    });
    vendorToolManager->On(id::IDispVendorToolManager::GetToolsPresent, [find](SimCall& c) {
      auto t = find(c.Text(0));
      return Variant(t && t->present);
    });
    vendorToolManager->On(id::IDispVendorToolManager::GetVersionAcceptable, [find](SimCall& c) {
      auto t = find(c.Text(0));
      return Variant(t && t->acceptable);
    });
    vendorToolManager->On(id::IDispVendorToolManager::GetVersion, [find](SimCall& c) {
      auto t = find(c.Text(0));
      return Variant(t ? std::u16string_view(t->version) : std::u16string_view());
    });
    vendorToolManager->On(id::IDispVendorToolManager::GetToolPath, [find](SimCall& c) {
      auto t = find(c.Text(0));
      std::u16string path;
      if (t) {
        auto it = FindIgnoringCase(t->toolPaths, c.Text(1));
        if (it != t->toolPaths.end()) path = it->second;
      }
      return Variant(std::u16string_view(path));
    });
  }
}

std::vector<std::u16string> SimHost::OutputLines() const {
  std::vector<std::u16string> lines;
  if (workspace)
    for (const RecordedCall& c : workspace->CallsTo(id::IDispWorkspace::WriteOutputLine)) lines.push_back(c.Text(0));
  return lines;
}

SimDevice SimHost::NewDevice(const DeviceDescription& d) {
  SimDevice s;
  s.device = SimObject::Make("device:" + Utf16ToUtf8(d.name));
  s.registers = std::make_shared<std::map<std::int32_t, std::int32_t>>();
  s.device->Answer(id::IDispVireoDevice::GetDeviceName, Variant(std::u16string_view(d.name)));
  s.device->Answer(id::IDispVireoDevice::GetChainPosition, I4(d.position));
  auto regs = s.registers;
  s.device->On(id::IDispVireoDevice::ReadDebugRegister, [regs](SimCall& c) {
    auto it = regs->find(c.Int(0));
    return I4(it == regs->end() ? 0 : it->second);
  });
  s.device->On(id::IDispVireoDevice::WriteDebugRegister, [regs](SimCall& c) {
    (*regs)[c.Int(0)] = c.Int(2);
    return Variant();
  });
  s.device->Answer(id::IDispVireoDevice::BeginRegisterAccess, Variant());
  s.device->Answer(id::IDispVireoDevice::EndRegisterAccess, Variant());
  if (d.hasChannel) {
    s.channel = SimObject::Make("channel:" + Utf16ToUtf8(d.name));
    s.channel->Answer(id::IDispJTagChannel::Open, Variant(true));
    s.channel->Answer(id::IDispJTagChannel::Close, Variant());
    s.channel->Answer(id::IDispJTagChannel::SetInstruction, Variant());
    s.channel->Answer(id::IDispJTagChannel::GetJTagDevice, ObjectResult(nullptr));
  }
  s.device->Answer(id::IDispVireoDevice::GetJTagChannel, ObjectResult(s.channel));
  return s;
}

}  // namespace s4::sim

// The host program's entry through which modules find the host client. The reference is
// lent: the host keeps the client for the life of the process.
#if defined(_WIN32)
#  define S4_PROGRAM_EXPORT extern "C" __declspec(dllexport)
#else
#  define S4_PROGRAM_EXPORT extern "C" __attribute__((visibility("default")))
#endif
S4_PROGRAM_EXPORT IDispatch* ClientAPI_GetClientInterface() {
  s4::sim::SimHost& h = s4::sim::SimHost::Instance();
  return h.description().client ? h.client->dispatch() : nullptr;
}

// What the sibling modules (simhost/modules) forward their entries to. Borrowed references.
S4_PROGRAM_EXPORT IDispatch* S4SimHost_Object(const char* entry, std::int32_t index) {
  s4::sim::SimHost& h = s4::sim::SimHost::Instance();
  const std::string_view e(entry ? entry : "");
  if (e == "GetDeviceManager") return h.description().deviceManager ? h.deviceManager->dispatch() : nullptr;
  if (e == "GetWorkspace") return h.workspace ? h.workspace->dispatch() : nullptr;
  if (e == "LibApi_GetModelTypeManager") return h.modelTypeManager->dispatch();
  if (e == "LibApi_GetLibraryManager") return h.libraryManager->dispatch();
  if (e == "LibApi_GetDeviceSheetManager") return h.deviceSheetManager->dispatch();
  if (e == "GetVireoWorkspace") return h.vireoWorkbench->dispatch();
  if (e == "GetEditVHDLSynthesizer") return h.vhdlSynthesizer->dispatch();
  if (e == "GetJTagPort")
    return index >= 0 && index < static_cast<std::int32_t>(h.jtagPorts.size())
               ? h.jtagPorts[static_cast<std::size_t>(index)]->dispatch()
               : nullptr;
  return nullptr;
}

S4_PROGRAM_EXPORT std::int32_t S4SimHost_Count(const char* entry) {
  s4::sim::SimHost& h = s4::sim::SimHost::Instance();
  if (std::string_view(entry ? entry : "") == "GetJTagPortCount") return static_cast<std::int32_t>(h.jtagPorts.size());
  return 0;
}

// The host program's virtual-file-system entry: `relative` against the folder `base`, written
// into a buffer of 4096 characters. An absolute `relative` is answered as it is; ".." parts are
// taken away with the folder before them.
S4_PROGRAM_EXPORT void VFSAPI_VFS_ExpandRelativePath(const char16_t* base,
                                                                                     const char16_t* relative,
                                                                                     char16_t* result) {
  if (!result) return;
  result[0] = u'\0';
  if (!base || !relative) return;
  std::u16string rel(relative), out;
  if (rel.find(u':') != std::u16string::npos || (!rel.empty() && rel[0] == u'\\')) {
    out = rel;
  } else {
    out = base;
    if (!out.empty() && out.back() != u'\\') out += u'\\';
    std::size_t i = 0;
    while (i <= rel.size()) {
      std::size_t j = rel.find(u'\\', i);
      if (j == std::u16string::npos) j = rel.size();
      const std::u16string part = rel.substr(i, j - i);
      if (part == u"..") {
        if (out.size() > 1) {
          const auto cut = out.find_last_of(u'\\', out.size() - 2);
          if (cut != std::u16string::npos) out.resize(cut + 1);
        }
      } else if (!part.empty() && part != u".") {
        out += part;
        if (j < rel.size()) out += u'\\';
      }
      i = j + 1;
    }
  }
  const std::size_t n = std::min<std::size_t>(out.size(), 4095);
  std::copy(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n), result);
  result[n] = u'\0';
}
