// The module loaded for one s4host run.
#pragma once

#include <memory>
#include <string>

#include "cli/command.h"
#include "simhost/plugin_module.h"

namespace s4::cli {

// Loads the module named by the global options (or the default one); throws CommandError
// with kExitEnvironment when it cannot be loaded.
const sim::PluginModule& LoadModule(const GlobalOptions& globals);

}  // namespace s4::cli
