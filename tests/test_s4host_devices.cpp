// The device commands of s4host as a user runs them: output, JSON, errors and exit codes.
#include <cstdio>
#include <string>

#include "tests/module_fixture.h"
#include "tests/s4host_runner.h"


namespace s4::test {
namespace {


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
