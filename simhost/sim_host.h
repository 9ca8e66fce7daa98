// The simulated host: the host objects the module reaches, configured from a small
// description, with recorders. One simulated host exists per process, as one host program
// runs the module.
//
//   s4::sim::HostDescription d;
//   d.families = {{u"Stratix4", {{u"ND_ActiveDisengage", s4::Variant(true)}}}};
//   auto& host = s4::sim::SimHost::Configure(d);
//   auto dev = host.NewDevice({.name = u"FPGA1", .position = 0});
//   ... SetVireoDevice(dev.device), drive the module ...
//   host.guiManager->CallsTo(s4::hostid::IDispGUIManager::StatusBarSetState);
//
// The module finds the host client through the program's exported entry
// "ClientAPI_GetClientInterface" (so a program that uses the simulated host must export its
// symbols: ENABLE_EXPORTS). The module caches the client and the client API object for its
// whole life, so those two objects are never replaced: Configure resets and re-teaches them.
// Every other object is made anew by each Configure.
//
// The host program's folder (whose "System\" subfolder holds the host's support files) is
// `hostFolder`; Configure publishes it in the environment variable S4_HOST_DIR, which is where
// the module looks for it away from Windows. The sibling modules ("DeviceManager.DLL", ...) are
// linked into that System folder, so the module finds them as it finds the host's modules.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simhost/sim_dispatch.h"

namespace s4::sim {

struct PluginDescription {
  std::u16string folder;       // host path text, as the registry answers it
  std::int32_t exclusion = 0;  // non-zero: the module skips the item
};

struct FamilyDescription {
  std::u16string name;
  std::map<std::u16string, Variant> properties;  // "ND_ActiveDisengage" -> VT_BOOL, ...
};

struct VendorToolDescription {
  std::u16string vendor;  // "Altera", "Xilinx", ...
  std::u16string descriptor;
  bool present = true;
  bool acceptable = true;
  std::u16string version;
  std::map<std::u16string, std::u16string> toolPaths;  // tool name (any case) -> program path
};

struct DocumentDescription {
  std::u16string path;  // host path text
  std::u16string kind = u"VHDL";
  bool compiled = false;
};

struct ProjectDescription {
  std::u16string path;  // host path text of the project file
  std::vector<DocumentDescription> documents;
};

struct HostDescription {
  bool client = true;  // the program answers ClientAPI_GetClientInterface
  std::int32_t mainWindowHandle = 0x00C0FFEE;
  bool clientApi = true;
  std::u16string rootFolder;        // client API 770
  std::u16string constraintFolder;  // client API 787
  std::vector<PluginDescription> plugins;
  std::string hostFolder;  // OS folder of the host program; empty: the running program's folder
  bool linkSiblingModules = true;  // link the sibling modules into hostFolder's System folder
  std::vector<FamilyDescription> families;
  std::int32_t jtagPorts = 0;  // ports the device manager lists
  bool deviceManager = true;   // the "DeviceManager.DLL" module answers a device manager
  // The workspace manager: loaded by the host (so the module finds it already loaded), with an
  // output panel and a messages manager that record what they receive, and the projects.
  bool workspace = false;
  std::vector<ProjectDescription> projects;
  bool fpgaFlow = false;  // the client has the server module "FPGAFlow" with a vendor-tool manager
  std::vector<VendorToolDescription> vendorTools;
};

// A host device on a JTAG chain: the device object the host attaches to a driver, its JTAG
// channel (absent when hasChannel is false) and its debug registers.
struct DeviceDescription {
  std::u16string name = u"FPGA";
  std::int32_t position = 0;
  bool hasChannel = true;
};

struct SimDevice {
  ComPtr<SimObject> device;
  ComPtr<SimObject> channel;      // null without a channel
  ComPtr<SimObject> jtagDevice;   // the JTAG device the channel answers at the position; set by tests
  std::shared_ptr<std::map<std::int32_t, std::int32_t>> registers;  // debug registers by number
};

class SimHost {
 public:
  // Rebuilds the simulated host from `d` and answers it.
  static SimHost& Configure(const HostDescription& d);
  static SimHost& Instance();

  const HostDescription& description() const { return desc_; }

  // Stable for the process (the module caches them).
  ComPtr<SimObject> client;
  ComPtr<SimObject> clientApi;
  // Made by each Configure.
  ComPtr<SimObject> guiManager;
  ComPtr<SimObject> pluginsRegistry;
  ComPtr<SimObject> deviceManager;
  ComPtr<SimObject> familyManager;
  std::map<std::u16string, ComPtr<SimObject>> familyObjects;
  std::vector<ComPtr<SimObject>> jtagPorts;
  // Objects of the other sibling modules, always there for tests to teach.
  ComPtr<SimObject> modelTypeManager, libraryManager, deviceSheetManager;  // "IntegratedLibrary.DLL"
  ComPtr<SimObject> vireoWorkbench;   // "FPGAFlow.DLL", loaded when the server "FPGAFlow" starts
  ComPtr<SimObject> vhdlSynthesizer;  // "EditVHDL.DLL", loaded when the server "EDITVHDL" starts
  ComPtr<SimObject> workspace;        // null without a workspace
  ComPtr<SimObject> messagesManager;  // the workspace's
  std::vector<ComPtr<SimObject>> projectObjects;
  std::map<std::u16string, ComPtr<SimObject>> documentObjects;  // by path

  // The lines written to the output panel, in order.
  std::vector<std::u16string> OutputLines() const;
  ComPtr<SimObject> fpgaFlowModule;
  ComPtr<SimObject> vendorToolManager;

  SimDevice NewDevice(const DeviceDescription& d);

  // The OS folder of the host program and its System folder (with "/" at the end).
  std::string HostFolder() const;
  std::string SystemFolder() const;

 private:
  SimHost();
  void Build();
  HostDescription desc_;
};

}  // namespace s4::sim
