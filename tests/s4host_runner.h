// Runs s4host (built beside the module) as a user would, capturing what it prints.
#pragma once

#include <cstdio>
#include <string>

#if defined(_WIN32)
#  define S4_POPEN _popen
#  define S4_PCLOSE _pclose
#else
#  include <sys/wait.h>
#  define S4_POPEN popen
#  define S4_PCLOSE pclose
#endif

namespace s4::test {

struct CommandRun {
  int exitCode = -1;
  std::string output;  // standard output and standard error
};

// `args` follow the program name; with `passModule` the module under test is named with
// --module, otherwise s4host finds it beside itself.
// With `limitSeconds` (POSIX only) a run that would hang is ended after that long and
// answers exit code 124 (timeout's), so a test of "does not hang" fails instead of hanging.
inline CommandRun S4host(const std::string& args, bool passModule = true, int limitSeconds = 0) {
  std::string dir = S4_MODULE_PATH;
  dir = dir.substr(0, dir.find_last_of("/\\") + 1);
  std::string command = "\"" + dir + "s4host\" ";
#if !defined(_WIN32)
  if (limitSeconds > 0) command = "timeout -k 2 " + std::to_string(limitSeconds) + " " + command;
#endif
  if (passModule) command += "--module \"" + std::string(S4_MODULE_PATH) + "\" ";
  command += args + " 2>&1";
  CommandRun r;
  FILE* p = S4_POPEN(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
  const int status = S4_PCLOSE(p);
#if defined(_WIN32)
  r.exitCode = status;
#else
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return r;
}

}  // namespace s4::test
