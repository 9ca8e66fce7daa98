// The pin data files under devicedata/data and the tools that make and check them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pindata/ball_grid.h"
#include "tools/pindata/synthesize.h"
#include "tools/pindata/text_file.h"
#include "tools/pindata/validator.h"

namespace s4::pindata {
namespace {

std::string DataFile(std::u16string_view name) {
  return std::string(S4_SOURCE_DIR) + "/devicedata/data/" + std::string(name.begin(), name.end()) + ".pins.tsv";
}

const std::vector<BoardAssignments>& Boards() {
  static const std::vector<BoardAssignments> boards = [] {
    std::vector<BoardAssignments> b;
    for (const char* f : {"DE4_Reference_Router.qsf", "MebX_Quartus_Project_DE4_230.qsf",
                          "MebX_Quartus_Project_DE4_530.qsf"}) {
      auto text = ReadTextFile(std::string(S4_FIXTURES_DIR) + "/quartus/" + f);
      EXPECT_TRUE(text) << f;
      if (text) b.push_back(ParseBoardAssignments(*text, f));
    }
    return b;
  }();
  return boards;
}

std::vector<Diagnostic> Check(const std::string& text, const std::string& name) {
  std::vector<Diagnostic> d;
  PinFile file = ParsePinFile(text, name, d);
  if (d.empty()) d = Validate(file, name, Boards());
  return d;
}

TEST(BallGrid, NamesFollowTheRowLettersAndSkipTheCorners) {
  struct Case {
    const char* name;
    int grid;
    bool valid;
  } cases[] = {
      {"A10", 28, true},  {"A2", 28, true},   {"A1", 28, false},  {"A28", 28, false}, {"AH1", 28, false},
      {"AH2", 28, true},  {"AJ2", 28, false}, {"I5", 28, false},  {"O5", 28, false},  {"Y5", 28, true},
      {"A29", 28, false}, {"A01", 28, false}, {"AW38", 39, true}, {"AW39", 39, false}, {"AY2", 39, false},
      {"BD2", 44, true},  {"BE2", 44, false}, {"a10", 28, false}, {"A", 28, false},   {"10", 28, false},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseBall(c.name, c.grid).has_value(), c.valid) << c.name;
  EXPECT_EQ(RowName(20), "AA");
  EXPECT_EQ(RowName(40), "BA");
  EXPECT_EQ(AllBalls(44).size(), 1932u);
}

TEST(PinDataFiles, EveryCheckedInFilePassesTheValidator) {
  for (const auto& dp : kDevicePackages) {
    auto text = ReadTextFile(DataFile(dp.Name));
    ASSERT_TRUE(text) << DataFile(dp.Name);
    for (const auto& d : Check(*text, DataFile(dp.Name))) ADD_FAILURE() << d.ToString();
  }
}

// The checked-in files are the synthesizer's output; a change to the synthesizer or to the
// tables must be followed by regenerating them.
TEST(PinDataFiles, AreTheSynthesizersOutput) {
  for (std::uint32_t i = 0; i < kDevicePackageCount; ++i) {
    const PinFile made = Synthesize(static_cast<TDevicePackage>(i), Boards());
    auto text = ReadTextFile(DataFile(kDevicePackages[i].Name));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, WritePinFile(made)) << made.PinSet << " is stale: run s4_pinsynth (devicedata/data/README.md)";
    EXPECT_EQ(made.Provenance, "synthesized");
  }
}

TEST(PinDataValidator, NamesFileLinePinAndRuleOfABrokenFile) {
  struct Case {
    const char* what;
    const char* file;
    const char* from;
    const char* to;
    const char* rule;
    const char* pin;  // empty: a whole-file rule
  } cases[] = {
      {"I/O count", "EP4SGX70DF29", "\nA12\t7C\t6\t\tIO,DIFFP\t", "\nA12\t7C\t6\t\tDIFFP\t", "counts", ""},
      {"broken pair", "EP4SGX70DF29", "\nA11\t7C\t21\t", "\nA11\t7C\t99\t", "pair", "A10"},
      {"sort order", "EP4SGX70DF29", "\nA10\t7C\t21\t\tIO,DIFFP\t0-10,15-43\nA11\t7C\t21\t\tIO,DIFFN\t0-10,15-43\n",
       "\nA11\t7C\t21\t\tIO,DIFFN\t0-10,15-43\nA10\t7C\t21\t\tIO,DIFFP\t0-10,15-43\n", "order", "A10"},
      {"corner ball", "EP4SGX70DF29", "\nA2\t", "\nA1\t", "geometry", "A1"},
      {"DCI flag", "EP4SGX70DF29", "\tIO,DIFFP\t0-10,15-43\n", "\tIO,DCIP,DIFFP\t0-10,15-43\n", "dci", "A10"},
      {"example pin", "EP4SGX70DF29", "\nA10\t7C\t", "\nA10\t7B\t", "example", "A10"},
      {"bank in an EP4SE set", "EP4SE230F29", "\nA10\t\t", "\nA10\t1A\t", "bank", "A10"},
      {"unknown flag", "EP4SGX70DF29", "\tIO,DIFFP\t0-10,15-43\n", "\tIO,DIFFX\t0-10,15-43\n", "format", "A10"},
      {"standard out of range", "EP4SGX70DF29", "\tIO,DIFFP\t0-10,15-43\n", "\tIO,DIFFP\t0-10,15-65\n", "format", "A10"},
      {"newer format", "EP4SGX70DF29", "# format: s4-pins 1", "# format: s4-pins 2", "format", ""},
      {"TCK ball offered as user I/O", "EP4SGX70DF29", "\nD25\t\t\t\t\t\n", "\nD25\t8A\t\t\tIO\t0-10,15-43\n", "tap", "D25"},
      {"TRST ball as half of a pair", "EP4SGX70DF29", "\nD26\t\t\t\t\t\n", "\nD26\t\tX1\t\tDIFFP\t\n", "tap", "D26"},
      {"pair across two banks", "EP4SGX70DF29", "\nB5\t7B\t5\t", "\nB5\t7C\t5\t", "pair", "A9"},
      {"clock pair across two banks", "EP4SGX70DF29", "\nB9\t7B\t44\t5\t", "\nB9\t7C\t44\t5\t", "pair", "B8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto text = ReadTextFile(DataFile(std::u16string(c.file, c.file + std::char_traits<char>::length(c.file))));
    ASSERT_TRUE(text);
    const auto at = text->find(c.from);
    ASSERT_NE(at, std::string::npos);
    text->replace(at, std::char_traits<char>::length(c.from), c.to);
    const auto problems = Check(*text, std::string(c.file) + ".pins.tsv");
    bool found = false;
    for (const auto& d : problems) {
      if (d.Rule != c.rule || d.Pin != c.pin) continue;
      found = true;
      const std::string message = d.ToString();
      EXPECT_NE(message.find(std::string(c.file) + ".pins.tsv"), std::string::npos) << message;
      EXPECT_NE(message.find("[" + std::string(c.rule) + "]"), std::string::npos) << message;
      if (*c.pin) {
        EXPECT_NE(message.find(std::string("pin ") + c.pin), std::string::npos) << message;
      }
    }
    EXPECT_TRUE(found) << "no [" << c.rule << "] problem at pin '" << c.pin << "'; got " << problems.size();
  }
}

TEST(PinDataValidator, BoardBallsMustBeUserIOOrTransceiverPins) {
  auto text = ReadTextFile(DataFile(u"EP4SGX230KF40"));
  ASSERT_TRUE(text);
  // The router board puts a button on L19: make that ball a power ball.
  std::vector<Diagnostic> d;
  PinFile file = ParsePinFile(*text, "EP4SGX230KF40.pins.tsv", d);
  ASSERT_TRUE(d.empty());
  for (Pin& p : file.Pins)
    if (p.PinNumber == "L19") p = Pin{"L19", "", "", "", 0, {}, p.Line};
  bool found = false;
  for (const auto& problem : Validate(file, "EP4SGX230KF40.pins.tsv", Boards()))
    found |= problem.Rule == "board" && problem.Pin == "L19";
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace s4::pindata
