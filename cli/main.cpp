// s4host: a command-line host for the device-driver module. It loads the module and uses it
// the way the host application does: through the two exports and IDispatch::Invoke.
#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string_view>

#include "cli/command.h"

#ifndef S4_VERSION
#  define S4_VERSION "0.0.0"
#endif

namespace s4::cli {
std::vector<Registrar>& Registrars() {
  static std::vector<Registrar> r;
  return r;
}
namespace {

// The first word of the command line that is not a global option or its value: the command
// the user means (empty when there is none). The parser would answer --help before it
// noticed that the command does not exist.
std::string CommandWord(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--module") {
      ++i;
    } else if (a == "--") {
      return i + 1 < argc ? argv[i + 1] : "";
    } else if (a.empty() || a[0] != '-') {
      return std::string(a);
    }
  }
  return {};
}

}  // namespace
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
  const std::string command = CommandWord(argc, argv);
  if (!command.empty()) {
    try {
      app.get_subcommand(command);
    } catch (const CLI::OptionNotFound&) {
      std::cerr << "s4host: unknown command '" << command << "'; see s4host --help\n";
      return kExitUsage;
    }
  }
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
  } catch (const std::bad_alloc&) {
    // The floor under every command: whatever a command did not report itself still ends
    // with a message and an exit code of the table, never with an abort.
    std::cerr << "s4host: " << command << ": out of memory\n";
    return kExitEnvironment;
  } catch (const std::exception& e) {
    std::cerr << "s4host: " << command << ": " << e.what() << "\n";
    return kExitEnvironment;
  } catch (...) {
    std::cerr << "s4host: " << command << ": failed with an unknown error\n";
    return kExitEnvironment;
  }
  return exitCode;
}
