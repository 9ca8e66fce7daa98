// The device commands of s4host as a user runs them: output, JSON, errors and exit codes.
#include <cstdio>
#include <string>

#include "tests/module_fixture.h"

#if defined(_WIN32)
#  define popen _popen
#  define pclose _pclose
#else
#  include <sys/wait.h>
#endif

namespace s4::test {
namespace {

struct CommandRun {
  int exitCode = -1;
  std::string output;  // stdout and stderr
};

// s4host is built beside the module.
CommandRun S4host(const std::string& args) {
  std::string dir = S4_MODULE_PATH;
  dir = dir.substr(0, dir.find_last_of("/\\") + 1);
  const std::string command = "\"" + dir + "s4host\" --module \"" + std::string(S4_MODULE_PATH) + "\" " + args + " 2>&1";
  CommandRun r;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.output.append(buf, n);
  const int status = pclose(p);
#if defined(_WIN32)
  r.exitCode = status;
#else
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return r;
}

TEST(S4hostDevices, CommandsAnswerAsANewUserWouldTryThem) {
  struct Case {
    const char* args;
    int exitCode;
    std::vector<const char*> contains;
    std::vector<const char*> lacks;
  } cases[] = {
      {"devices EP4SGX70D --json", 0, {"\"EP4SGX70DF29C2x\"", "\"0x024200DD\"", "\"F29\""}, {"EP4SGX110"}},
      {"devices \"*F45I3N\"", 0, {"EP4S100G5F45I3N", "FBGA1932"}, {"F45I3\n", "F40"}},
      {"devices nosuchpart", 2, {"no device matches"}, {}},
      {"info ep4sgx70df29c2x", 0, {"GetIdCode: 37880029 (0x024200DD)", "provenance of the pin data: synthesized"}, {}},
      {"info 485 --json", 0, {"\"provenance\": \"synthesized\"", "\"EP4S100G5F45I3N\""}, {}},
      {"info EP4SGX70DF29C2y", 2, {"no device 'EP4SGX70DF29C2y'; nearest: EP4SGX70DF29C2x"}, {}},
      {"info 486", 2, {"kinds are 0..485"}, {}},
      {"pins EP4SGX70DF29C2x --bank 7c", 0, {"A10", "IO,DIFFP", "provenance: synthesized"}, {"AB15", "3C"}},
      {"pins 0 --json", 0, {"\"provenance\": \"synthesized\"", "\"number\": \"AA4\"", "\"HDIFFP\""}, {}},
      {"pins 348 --bank 1A", 2, {"has no bank '1A'"}, {}},
      {"standards 0 --pin a13", 0, {"pin A13: 44 standards", "SSTL2 Class I", "drive 16mA"}, {}},
      {"standards 0 --pin A1", 2, {"has no pin 'A1'; nearest: A10"}, {}},
      {"standards 348 --json", 0, {"\"standards\": []", "\"provenance\": \"synthesized\""}, {}},
      {"pins --help", 0, {"--bank"}, {}},
      {"standards --help", 0, {"--pin"}, {}},
  };
  for (const Case& c : cases) {
    const CommandRun r = S4host(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.output;
    for (const char* s : c.contains) EXPECT_NE(r.output.find(s), std::string::npos) << c.args << " lacks " << s;
    for (const char* s : c.lacks) EXPECT_EQ(r.output.find(s), std::string::npos) << c.args << " has " << s;
  }
}

}  // namespace
}  // namespace s4::test
