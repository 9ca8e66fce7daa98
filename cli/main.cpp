// s4host: a command-line host for the device-driver module. It loads the module and uses it
// the way the host application does: through the two exports and IDispatch::Invoke.
#include <cstdio>
#include <iostream>

#include "cli/command.h"

#ifndef S4_VERSION
#  define S4_VERSION "0.0.0"
#endif

namespace s4::cli {
std::vector<Registrar>& Registrars() {
  static std::vector<Registrar> r;
  return r;
}
}  // namespace s4::cli

int main(int argc, char** argv) {
  using namespace s4::cli;
  CLI::App app{"s4host: drives the device-driver module Device_Stratix4.VIR as its host application does."};
  app.set_version_flag("--version", std::string("s4host ") + S4_VERSION);
  app.require_subcommand(1);
  app.fallthrough();
  GlobalOptions globals;
  app.add_option("--module", globals.modulePath,
                 "The driver module to load (default: $S4_MODULE, else Device_Stratix4.VIR beside s4host)");
  int exitCode = kExitOk;
  for (auto& r : Registrars()) r(app, globals, exitCode);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // An unknown command reads as a missing one to the parser; name it instead.
    const auto rest = app.remaining();
    if (!rest.empty() && app.get_subcommands().empty()) {
      std::cerr << "s4host: unknown command '" << rest.front() << "'; see s4host --help\n";
      return kExitUsage;
    }
    app.exit(e);
    return kExitUsage;
  } catch (const CommandError& e) {
    std::cerr << "s4host: " << e.message << "\n";
    return e.code;
  }
  return exitCode;
}
