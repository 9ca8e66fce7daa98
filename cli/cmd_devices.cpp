// s4host devices [PATTERN]: the device kinds the module serves, with full name, IDCODE and
// package. PATTERN selects names containing it, or matching it when it has * or ?
// (letter case ignored either way).
#include <cstdio>
#include <iostream>

#include "cli/device_lookup.h"
#include "cli/session.h"
#include "driver/dispids.h"
#include "nlohmann/json.hpp"

namespace s4::cli {
namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool Glob(const char* p, const char* s) {
  if (!*p) return !*s;
  if (*p == '*') return Glob(p + 1, s) || (*s && Glob(p, s + 1));
  return *s && (*p == '?' || *p == *s) && Glob(p + 1, s + 1);
}

bool Matches(const std::string& pattern, const std::string& name) {
  const std::string p = Lower(pattern), n = Lower(name);
  if (p.find_first_of("*?") != std::string::npos) return Glob(p.c_str(), n.c_str());
  return n.find(p) != std::string::npos;
}

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  struct Options {
    std::string pattern;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  auto* cmd = app.add_subcommand("devices", "List the device kinds: kind, full name, IDCODE and package");
  cmd->add_option("PATTERN", o->pattern,
                  "Show only names containing PATTERN, or matching it when it has * or ? (case ignored)");
  cmd->add_flag("--json", o->json, "Print the list as JSON");
  cmd->footer("Examples: s4host devices\n          s4host devices EP4SGX230\n          s4host devices '*F45I3N'");
  cmd->callback([&globals, &exitCode, o] {
    const auto& module = LoadModule(globals);
    nlohmann::json list = nlohmann::json::array();
    std::vector<std::string> all;
    for (const auto& d : AllDevices(module)) {
      all.push_back(d.name);
      if (!o->pattern.empty() && !Matches(o->pattern, d.name)) continue;
      IDispatch* drv = d.driver.get();
      const auto id = static_cast<std::uint32_t>(AskInt(drv, dispid::DeviceInformation::GetIdCode));
      const std::string packageId = AskText(drv, dispid::DeviceInformation::GetPackageId);
      const std::string packageName = AskText(drv, dispid::DeviceInformation::GetPackageName);
      list.push_back({{"kind", d.kind},
                      {"name", d.name},
                      {"idcode", Hex(id)},
                      {"package", packageId},
                      {"packageName", packageName}});
    }
    if (list.empty()) {
      std::string message = "no device matches '" + o->pattern + "'; nearest: ";
      const auto nearest = NearestNames(o->pattern, all);
      for (std::size_t i = 0; i < nearest.size(); ++i) message += (i ? ", " : "") + nearest[i];
      throw CommandError{kExitUsage, message};
    }
    if (o->json) {
      std::cout << list.dump(2) << "\n";
    } else {
      std::printf("%-5s %-20s %-10s %s\n", "KIND", "NAME", "IDCODE", "PACKAGE");
      for (const auto& e : list)
        std::printf("%-5d %-20s %-10s %s (%s)\n", e["kind"].get<int>(), e["name"].get<std::string>().c_str(),
                    e["idcode"].get<std::string>().c_str(), e["package"].get<std::string>().c_str(),
                    e["packageName"].get<std::string>().c_str());
    }
    exitCode = kExitOk;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
