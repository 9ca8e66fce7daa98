// s4host config: what the module finds on this host - its folders, the plug-in folders, the
// device families with their vendors and where each came from, the configuration clock cycles
// of the Stratix IV family, and the vendor tools with their versions.
//
// The simulated host is set up from the options (host folder, plug-in folders, a Quartus II
// installation). The module's own answers (library folder, vendor name, vendor-tool queries)
// are asked of the loaded module through Invoke; the rest is found by the same host-utility
// code that the module runs, run here against the same simulated host.
#include <filesystem>
#include <iomanip>
#include <iostream>

#include "cli/session.h"
#include "cli/variant_json.h"
#include "driver/dispids.h"
#include "flow/vendor_tools.h"
#include "host/device_families.h"
#include "host/host_utilities.h"
#include "platform/dispatch_call.h"
#include "platform/files.h"
#include "platform/module.h"
#include "platform/path.h"
#include "platform/widestring.h"
#include "simhost/sim_host.h"

namespace s4::cli {
namespace {

namespace fs = std::filesystem;

struct ConfigOptions {
  std::string hostDir;
  std::vector<std::string> plugins;
  std::string quartusBin;
  bool json = false;
};

constexpr const char16_t* kQuartusTools[] = {u"Quartus_sh",  u"Quartus_Map", u"Quartus_Fit", u"Quartus_Tan",
                                              u"Quartus_Sta", u"Quartus_Asm", u"Quartus_Cmd"};

// The folder holding quartus_cmd: the option, else the first folder of PATH that has it.
std::string FindQuartusBin(const ConfigOptions& o) {
  auto has = [](const fs::path& dir) {
    std::error_code ec;
    return fs::exists(dir / "quartus_cmd", ec) || fs::exists(dir / "quartus_cmd.exe", ec);
  };
  if (!o.quartusBin.empty()) return o.quartusBin;
  const char* path = std::getenv("PATH");
  std::string_view rest(path ? path : "");
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::string dir(rest.substr(0, colon));
    if (!dir.empty() && has(dir)) return dir;
    if (colon == std::string_view::npos) break;
    rest.remove_prefix(colon + 1);
  }
  return {};
}

std::string Utf8(std::u16string_view s) { return Utf16ToUtf8(s); }

std::string CallText(IDispatch* d, DISPID id) {
  auto r = CallDispatch(d, id);
  std::u16string s;
  if (r.ok()) r.value.ToText(s);
  return r.ok() ? Utf8(s) : "<" + HresultName(r.hr) + ">";
}
nlohmann::json CallBool(IDispatch* d, DISPID id) {
  auto r = CallDispatch(d, id);
  bool b = false;
  if (!r.ok() || FAILED(r.value.ToBool(b))) return "<" + HresultName(r.hr) + ">";
  return b;
}

void Run(const GlobalOptions& globals, const ConfigOptions& o, int& exitCode) {
  const auto& module = LoadModule(globals);
  sim::HostDescription d;
  d.hostFolder = o.hostDir;
  d.linkSiblingModules = false;  // a user's folder is only read
  // The module's own folder is a plug-in folder, as the host registers the plug-ins it loaded.
  std::vector<std::string> plugins = o.plugins;
  plugins.insert(plugins.begin(), fs::absolute(module.path()).parent_path().string());
  for (const std::string& p : plugins) {
    std::error_code ec;
    if (!fs::is_directory(p, ec)) throw CommandError{kExitUsage, "no such plug-in folder: " + p};
    d.plugins.push_back({ToHostPath(fs::absolute(p).string())});
  }
  const std::string quartus = FindQuartusBin(o);
  if (!o.quartusBin.empty() && !fs::is_directory(o.quartusBin))
    throw CommandError{kExitUsage, "no such folder: " + o.quartusBin};
  d.fpgaFlow = true;
  if (!quartus.empty()) {
    sim::VendorToolDescription altera;
    altera.vendor = u"Altera";
    altera.descriptor = u"Altera Quartus II";
    for (const char16_t* tool : kQuartusTools) {
      for (const std::string ext : {"", ".exe"}) {
        std::string lower = Utf8(tool);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const fs::path p = fs::path(quartus) / (lower + ext);
        std::error_code ec;
        if (fs::exists(p, ec)) altera.toolPaths[tool] = ToHostPath(fs::absolute(p).string());
      }
    }
    d.vendorTools.push_back(altera);
  }
  sim::SimHost::Configure(d);

  nlohmann::json out;
  out["module"] = module.path();
  auto driver = module.Driver(0);
  if (!driver) throw CommandError{kExitFailure, "the module gave no driver for kind 0"};

  auto folder = [](std::u16string_view hostPath) {
    return nlohmann::json{{"path", Utf8(hostPath)},
                          {"osPath", hostPath.empty() ? std::string() : ResolveOsPath(hostPath)},
                          {"exists", !hostPath.empty() && DirectoryExists(hostPath)}};
  };
  out["folders"] = {
      {"host", sim::SimHost::Instance().HostFolder()},
      {"system", folder(host::SystemFolder())},
      {"library", folder(Utf8ToUtf16(CallText(driver.get(), dispid::VireoDriver::GetFolder_Library)))},
      {"temporary", folder(host::TempFolder())},
      {"embeddedExtension", folder(host::EmbeddedExtensionFolder())},
  };
  nlohmann::json pluginList = nlohmann::json::array();
  host::ForEachPluginFolder([&](const std::u16string& f) {
    pluginList.push_back({{"path", Utf8(f)},
                          {"config", FileExists(f + u"VireoConfig.ini") ? Utf8(f + u"VireoConfig.ini") : ""}});
    return true;
  });
  out["pluginFolders"] = pluginList;

  nlohmann::json families = nlohmann::json::array();
  for (const DeviceFamilyRow& r : DeviceFamilyRows())
    families.push_back({{"family", Utf8(r.key)},
                        {"vendor", Utf8(r.info.VendorName)},
                        {"edif", Utf8(r.info.EDIF)},
                        {"source", r.origin.empty() ? std::string("built-in") : Utf8(r.origin)}});
  out["families"] = families;
  out["vendorName"] = CallText(driver.get(), dispid::DeviceInformation::GetVendorName);

  std::u16string cyclesOrigin;
  const std::int32_t cycles = ConfiguredClockCycles(u"Stratix4", &cyclesOrigin);
  out["clockCycles"] = {{"family", "Stratix4"},
                        {"cycles", cycles >= 0 ? cycles : 175},
                        {"source", cycles >= 0 ? Utf8(cyclesOrigin) : std::string("default")}};

  nlohmann::json tools = nlohmann::json::array();
  for (int i = 0; i < 4; ++i) {
    const std::u16string vendor(VendorTableName(i));
    nlohmann::json t{{"vendor", Utf8(vendor)}};
    try {
      t["present"] = VendorToolsPresentFor(vendor);
      t["descriptor"] = Utf8(VendorToolsDescriptorFor(vendor));
      t["version"] = Utf8(VendorToolVersion(vendor));
      t["supported"] = VendorToolsUpToDateFor(vendor);
    } catch (const std::exception& e) {
      t["error"] = e.what();
    }
    if (vendor == u"Altera") {
      nlohmann::json paths = nlohmann::json::object();
      for (const char16_t* tool : kQuartusTools) paths[Utf8(tool)] = Utf8(VendorToolPath(tool));
      t["tools"] = paths;
    }
    tools.push_back(t);
  }
  out["vendorTools"] = tools;
  out["driverVendorTools"] = {{"descriptor", CallText(driver.get(), dispid::VireoDriver::VendorToolsDescriptor)},
                              {"present", CallBool(driver.get(), dispid::VireoDriver::VendorToolsPresent)},
                              {"upToDate", CallBool(driver.get(), dispid::VireoDriver::VendorToolsUpToDate)}};

  if (o.json) {
    std::cout << out.dump(2) << "\n";
    exitCode = kExitOk;
    return;
  }
  auto yesNo = [](const nlohmann::json& j) {
    return j.is_boolean() ? (j.get<bool>() ? "yes" : "no") : j.dump();
  };
  std::cout << "Module         " << module.path() << "\n\nFolders\n";
  for (const char* k : {"system", "library", "temporary", "embeddedExtension"}) {
    const auto& f = out["folders"][k];
    const std::string p = f["path"].get<std::string>();
    std::cout << "  " << std::left << std::setw(20) << k << (p.empty() ? "(none)" : f["osPath"].get<std::string>())
              << (p.empty() || f["exists"].get<bool>() ? "" : "  (missing)") << (p.empty() ? "" : "  [" + p + "]")
              << "\n";
  }
  std::cout << "\nPlug-in folders\n";
  for (const auto& p : pluginList)
    std::cout << "  " << ResolveOsPath(Utf8ToUtf16(p["path"].get<std::string>()))
              << (p["config"].get<std::string>().empty() ? "" : "  (has VireoConfig.ini)") << "\n";
  std::cout << "\nDevice families (" << BuiltInFamilyCount() << " built in)\n";
  for (const auto& f : families)
    std::cout << "  " << std::left << std::setw(18) << f["family"].get<std::string>() << std::setw(20)
              << f["vendor"].get<std::string>() << std::setw(18) << f["edif"].get<std::string>()
              << f["source"].get<std::string>() << "\n";
  std::cout << "\nThe driver's vendor: " << out["vendorName"].get<std::string>() << "\n";
  std::cout << "Configuration clock cycles of Stratix4: " << out["clockCycles"]["cycles"] << " ("
            << out["clockCycles"]["source"].get<std::string>() << ")\n";
  std::cout << "\nVendor tools\n";
  for (const auto& t : tools) {
    std::cout << "  " << std::left << std::setw(9) << t["vendor"].get<std::string>();
    if (t.contains("error")) {
      std::cout << "error: " << t["error"].get<std::string>() << "\n";
      continue;
    }
    const std::string version = t["version"].get<std::string>();
    std::cout << "present: " << std::setw(4) << yesNo(t["present"]) << "version: " << std::setw(10)
              << (version.empty() ? "-" : version) << "supported: " << yesNo(t["supported"]) << "\n";
  }
  const auto& dv = out["driverVendorTools"];
  const std::string descriptor = dv["descriptor"].get<std::string>();
  std::cout << "\nThe driver answers: " << (descriptor.empty() ? "(no descriptor)" : descriptor) << ", present "
            << yesNo(dv["present"])
            << ", up to date " << yesNo(dv["upToDate"]) << "\n";
  if (quartus.empty())
    std::cout << "(no Quartus II found: put quartus_cmd on PATH or give --quartus-bin)\n";
  exitCode = kExitOk;
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "config", "Show the folders, device families, clock cycles and vendor tools the module finds on this host");
  auto o = std::make_shared<ConfigOptions>();
  cmd->add_option("--host-dir", o->hostDir,
                  "The host program's folder, whose System\\ folder holds the host's support files "
                  "(default: $S4_HOST_DIR, else the folder of s4host)");
  cmd->add_option("--plugin", o->plugins, "A further plug-in folder (may be repeated); the module's own folder is one");
  cmd->add_option("--quartus-bin", o->quartusBin,
                  "The bin folder of a Quartus II installation (default: the first PATH folder with quartus_cmd)");
  cmd->add_flag("--json", o->json, "Print everything as JSON");
  cmd->callback([&globals, &exitCode, o] {
    if (o->hostDir.empty())
      if (const char* e = std::getenv("S4_HOST_DIR")) o->hostDir = e;
    Run(globals, *o, exitCode);
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
