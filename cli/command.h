// s4host commands register themselves: each command file defines a registrar with
// S4_COMMAND(...), and main() gives every registrar the application to add its subcommand to.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace s4::cli {

// Options every command can use, filled in by main() before the command runs.
struct GlobalOptions {
  std::string modulePath;  // empty: the default module location
};

// Exit codes: 0 success, 1 the module answered a failure, 2 bad usage or input, 3 the module
// or a file could not be loaded.
enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2, kExitEnvironment = 3 };

// Thrown by a command to end with a message and an exit code.
struct CommandError {
  ExitCode code;
  std::string message;
};

using Registrar = std::function<void(CLI::App& app, GlobalOptions& globals, int& exitCode)>;
std::vector<Registrar>& Registrars();

struct RegisterCommand {
  explicit RegisterCommand(Registrar r) { Registrars().push_back(std::move(r)); }
};

#define S4_COMMAND_CONCAT2(a, b) a##b
#define S4_COMMAND_CONCAT(a, b) S4_COMMAND_CONCAT2(a, b)
#define S4_COMMAND(fn) static ::s4::cli::RegisterCommand S4_COMMAND_CONCAT(s4_command_, __LINE__)(fn)

}  // namespace s4::cli
