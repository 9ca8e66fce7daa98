// s4host kinds: how many device kinds the module serves.
#include <iostream>

#include "cli/session.h"
#include "cli/variant_json.h"

namespace s4::cli {
namespace {

void Register(CLI::App& app, GlobalOptions& globals, int& exitCode) {
  auto* cmd = app.add_subcommand("kinds", "Print the number of device kinds the module serves");
  auto json = std::make_shared<bool>(false);
  cmd->add_flag("--json", *json, "Print the answer as JSON");
  cmd->callback([&globals, &exitCode, json] {
    const auto& module = LoadModule(globals);
    std::int32_t count = 0;
    const HRESULT hr = module.CallDriverCount(&count);
    if (*json) {
      std::cout << nlohmann::json{{"kinds", count}, {"hresult", HresultToJson(hr)}, {"module", module.path()}}.dump(2)
                << "\n";
    } else if (SUCCEEDED(hr)) {
      std::cout << count << "\n";
    } else {
      std::cerr << "s4host: GetVireoDriverCount failed: " << HresultName(hr) << "\n";
    }
    exitCode = SUCCEEDED(hr) ? kExitOk : kExitFailure;
  });
}

S4_COMMAND(Register);

}  // namespace
}  // namespace s4::cli
