// s4host facing the command lines and files a user (or a script) gets wrong: unknown
// commands, numbers out of range, chains longer than a scan can tell apart, folders, FIFOs,
// unreadable and oversized files. Each ends with a message and an exit code of the table,
// never with help text and success, a hang or an abort.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/host_test_folder.h"
#include "tests/s4host_runner.h"

namespace s4::test {
namespace {

struct Case {
  std::string args;
  int exitCode;
  std::vector<std::string> contains;
};

void Expect(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    // Bounded: sim-serve with sound arguments would serve until stopped, and a FIFO read blocks.
    const CommandRun r = S4host(c.args, true, 30);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.output;
    for (const std::string& s : c.contains) EXPECT_NE(r.output.find(s), std::string::npos) << c.args << " lacks " << s << "\n" << r.output;
    EXPECT_EQ(r.output.find("terminate called"), std::string::npos) << c.args;
  }
}

std::string Chain(int others) {
  std::string chain;
  for (int i = 0; i < others; ++i) chain += "6,";
  return chain + "fpga";
}

TEST(S4hostInput, AnUnknownCommandIsAnErrorWithOrWithoutHelp) {
  Expect({
      {"NOSUCHCOMMAND --help", 2, {"unknown command 'NOSUCHCOMMAND'"}},
      {"NOSUCHCOMMAND", 2, {"unknown command 'NOSUCHCOMMAND'"}},
      {"--help NOSUCHCOMMAND", 2, {"unknown command 'NOSUCHCOMMAND'"}},
      {"--module x.VIR nosuch -h", 2, {"unknown command 'nosuch'"}},
      // What does exist still answers its help.
      {"--help", 0, {"scan", "sim-serve"}},
      {"scan --help", 0, {"--chain", "--cable-timeout"}},
  });
}

TEST(S4hostInput, NumbersAndChainsOutOfRangeAreRefusedNotCutDown) {
  Expect({
      {"sim-serve 0 --idcode 0x1FFFFFFFF", 2, {"--idcode '0x1FFFFFFFF' is not an IDCODE"}},
      {"sim-serve 0 --idcode 0x100000001", 2, {"not an IDCODE"}},
      {"sim-serve 0 --idcode 12abc", 2, {"not an IDCODE"}},
      {"sim-serve 0 --idcode 0x024200DC", 2, {"bit 0 set"}},
      {"sim-serve 0 --chain 8:0x1FFFFFFFF,fpga", 2, {"an IDCODE is a number with bit 0 set"}},
      // One limit for --chain and --position: 32 devices, positions 0..31.
      {"scan 0 --chain " + Chain(39), 2, {"the chain has 40 devices; it can hold at most 32"}},
      {"scan 0 --chain " + Chain(32), 2, {"the chain has 33 devices; it can hold at most 32"}},
      {"sim-serve 0 --chain " + Chain(32), 2, {"at most 32"}},
      {"scan 0 --chain " + Chain(31), 0, {"Chain of 32 devices", "31  0x"}},
      {"state 0 --position 32", 2, {"--position must be 0..31"}},
      {"state 0 --position 31", 0, {"not configured"}},
  });
}

TEST(S4hostInput, FilesThatAreNotRegularOrCannotBeReadAreNamed) {
  const TempFolder folder;
  const std::string dir = folder.os("a folder");
  std::filesystem::create_directory(dir);
  const std::string fifo = folder.os("pipe.bsd");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Sparse files: large to the reader, nothing on the disk.
  const std::string hugeBsdl = folder.Write("huge.bsd", "");
  std::filesystem::resize_file(hugeBsdl, std::uintmax_t{100} << 20);
  const std::string hugeImage = folder.Write("huge.rbf", "");
  std::filesystem::resize_file(hugeImage, std::uintmax_t{300} << 20);
  const std::string sound = folder.Write("design.rbf", std::string(3000, '\x5A'));
  Expect({
      {"bsdl-check \"" + dir + "\"", 3, {"cannot read '" + dir + "': it is a folder"}},
      {"bsdl-check \"" + fifo + "\"", 3, {"cannot read '" + fifo + "': not a regular file"}},
      {"bsdl-check \"" + hugeBsdl + "\"", 3, {"cannot read '" + hugeBsdl + "': it is 104857600 bytes"}},
      {"bsdl-check /proc/self/mem", 3, {"cannot read '/proc/self/mem': read error"}},
      // Every file is checked; the worst outcome is the exit code.
      {"bsdl-check \"" + dir + "\" /nonexistent.bsd", 3, {"it is a folder", "'/nonexistent.bsd': no such file"}},
      {"sim-serve 0 --expect \"" + dir + "\"", 3, {"cannot read '" + dir + "': it is a folder"}},
      {"sim-serve 0 --expect \"" + fifo + "\"", 3, {"not a regular file"}},
      {"sim-serve 0 --expect \"" + hugeImage + "\"", 3, {"cannot read '" + hugeImage + "': it is 314572800 bytes"}},
      {"sim-serve 0 --expect /proc/self/mem", 3, {"cannot read '/proc/self/mem': read error"}},
      {"sim-serve 0 --expect /nonexistent.rbf", 3, {"no such file"}},
      // A read error after the file opened ends with the table's code, not an abort.
      {"program 0 /proc/self/mem", 3, {}},
      {"program 0 \"" + sound + "\"", 0, {"arrived exactly"}},
  });
}

}  // namespace
}  // namespace s4::test
