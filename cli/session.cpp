#include "cli/session.h"

namespace s4::cli {

const sim::PluginModule& LoadModule(const GlobalOptions& globals) {
  static std::unique_ptr<sim::PluginModule> module;
  if (!module) {
    const std::string path = globals.modulePath.empty() ? sim::DefaultModulePath() : globals.modulePath;
    std::string error;
    module = sim::PluginModule::Load(path, &error);
    if (!module) throw CommandError{kExitEnvironment, "cannot load the driver module: " + error};
  }
  return *module;
}

}  // namespace s4::cli
