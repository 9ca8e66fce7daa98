// The BSDL reader on real vendor files and on small broken texts.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"

namespace s4::bsdl {

void PrintTo(const Finding& f, std::ostream* os) { *os << f.line << ": " << f.message; }

namespace {

std::string Fixture(const std::string& name) { return std::string(S4_FIXTURES_DIR) + "/bsdl/" + name; }

// What each vendor file declares, as read off the file by eye.
struct Declared {
  const char* file;
  const char* entity;
  const char* use;  // the 1149.1 package of its use clause
  int instructionLength;
  int boundaryLength;
  std::size_t cellEntries;
  std::size_t pinMaps;
  const char* defaultPinMap;
  const char* tdi, *tdo, *tms, *tck, *trst;
  double tckHz;
  const char* idcode;  // empty when the file has none
  const char* conformance;
};

const Declared kFixtures[] = {
    {"XC6VCX130T.bsdl", "XC6VCX130T", "STD_1149_1_2001", 10, 1905, 1905, 1, "DIE_BOND", "TDI", "TDO", "TMS", "TCK", "",
     66e6, "XXXX0100001011001010000010010011", "STD_1149_1_2001"},
    {"EP4CE40F29.bsdl", "EP4CE40F29", "STD_1149_1_1994", 10, 1632, 1632, 1, "FBGA780", "TDI", "TDO", "TMS", "TCK", "",
     10e6, "00000010000011110100000110111011", "STD_1149_1_1993"},
    {"LFEC10E_XXF256.bsdl", "LFEC10E_XXF256", "STD_1149_1_2001", 8, 586, 586, 1, "fpbga256", "TDI", "TDO", "TMS", "TCK",
     "", 25e6, "000X0001001001000011000001000011", "STD_1149_1_2001"},
    {"sctm002.bsm", "sn74bct8244a", "STD_1149_1_1990", 8, 18, 20, 4, "UNDEFINED", "TDI", "TDO", "TMS", "TCK", "", 20e6,
     "", ""},
    {"ATMEGA128.bsdl", "ATmega128", "STD_1149_1_1994", 4, 205, 205, 2, "TQFP", "TDI", "TDO", "TMS", "TCK", "", 8e6,
     "11101001011100000010000000111111", "STD_1149_1_1993"},
    {"STM32U575_U585_LQFP64.bsd", "STM32U575_U585_LQFP64", "STD_1149_1_2001", 5, 393, 393, 1, "LQFP64_PACKAGE", "JTDI",
     "JTDO", "JTMS", "JTCK", "JTRST", 10e6, "XXXX0110010010000010000001000001", "STD_1149_1_2001"},
    {"SCAN90CP02.bsdl", "SCAN90CP02", "STD_1149_1_2001", 8, 18, 18, 2, "UNDEFINED", "TDI", "TDO", "TMS", "TCK", "TRST",
     25e6, "00001101011000000000000000011111", "STD_1149_1_2001"},
};

TEST(BSDLReader, EveryVendorFileParsesToWhatItDeclares) {
  for (const Declared& f : kFixtures) {
    SCOPED_TRACE(f.file);
    Description d;
    ASSERT_NO_THROW(d = ReadFile(Fixture(f.file)));
    EXPECT_EQ(d.entity, f.entity);
    EXPECT_NE(std::find(d.uses.begin(), d.uses.end(), f.use), d.uses.end());
    EXPECT_EQ(d.instructionLength, f.instructionLength);
    EXPECT_EQ(d.boundaryLength, f.boundaryLength);
    EXPECT_EQ(d.cells.size(), f.cellEntries);
    EXPECT_EQ(d.pinMaps.size(), f.pinMaps);
    EXPECT_EQ(d.defaultPinMap, f.defaultPinMap);
    EXPECT_EQ(d.tdi.port, f.tdi);
    EXPECT_EQ(d.tdo.port, f.tdo);
    EXPECT_EQ(d.tms.port, f.tms);
    EXPECT_EQ(d.tck.port, f.tck);
    EXPECT_EQ(d.trst.port, f.trst);
    EXPECT_DOUBLE_EQ(d.tckMaxFrequency, f.tckHz);
    if (*f.idcode) {
      EXPECT_EQ(d.idcode, f.idcode);
    }
    EXPECT_EQ(d.conformance, f.conformance);
    // Every opcode is as wide as the instruction register, and every cell is numbered
    // below the boundary length.
    for (const Instruction& i : d.instructions)
      for (const std::string& op : i.opcodes) EXPECT_EQ(static_cast<int>(op.size()), d.instructionLength) << i.name;
    for (const Cell& c : d.cells) EXPECT_LT(c.number, d.boundaryLength);
    // Every port a pin map names is declared.
    for (const PinMap& m : d.pinMaps)
      for (const PinMapEntry& e : m.entries) EXPECT_NE(d.FindPort(e.port), nullptr) << m.name << " " << e.port;
  }
}
TEST(BSDLValidator, VendorFilesShowOnlyTheirKnownFaults) {
  for (const Declared& f : kFixtures) {
    SCOPED_TRACE(f.file);
    const std::vector<Finding> found = Validate(ReadFile(Fixture(f.file)));
    if (std::string(f.file) == "SCAN90CP02.bsdl") {
      // Its REGISTER_ACCESS maps BYPASS, an instruction the file never defines.
      const std::vector<Finding> expected = {
          {123, "INSTRUCTION_OPCODE does not define BYPASS"},
          {157, "REGISTER_ACCESS of BYPASS names BYPASS, which INSTRUCTION_OPCODE does not define"}};
      EXPECT_EQ(found, expected);
    } else {
      for (const Finding& x : found) ADD_FAILURE() << Format(f.file, x);
    }
  }
}

// A small sound description; the tables below break one thing in it at a time. Lines are
// numbered from 1 at "entity".
const char* const kSmall =
    "entity SMALL is\n"                                                          // 1
    "  generic (PHYSICAL_PIN_MAP : string := \"PKG\");\n"                        // 2
    "  port (TDI, TMS, TCK : in bit; TDO : out bit; A : inout bit;\n"            // 3
    "        B : in bit_vector(0 to 1); VCC : linkage bit_vector(1 to 2));\n"    // 4
    "  use STD_1149_1_2001.all;\n"                                               // 5
    "  attribute COMPONENT_CONFORMANCE of SMALL : entity is \"STD_1149_1_2001\";\n"  // 6
    "  attribute PIN_MAP of SMALL : entity is PHYSICAL_PIN_MAP;\n"               // 7
    "  constant PKG : PIN_MAP_STRING := \"TDI:1, TMS:2, TCK:3, TDO:4, \" &\n"    // 8
    "    \"A:5, B:(6,7), VCC:(8, 9)\";\n"                                        // 9
    "  attribute TAP_SCAN_IN of TDI : signal is true;\n"                         // 10
    "  attribute TAP_SCAN_MODE of TMS : signal is true;\n"                       // 11
    "  attribute TAP_SCAN_OUT of TDO : signal is true;\n"                        // 12
    "  attribute TAP_SCAN_CLOCK of TCK : signal is (10.0e6, BOTH);\n"            // 13
    "  attribute INSTRUCTION_LENGTH of SMALL : entity is 4;\n"                   // 14
    "  attribute INSTRUCTION_OPCODE of SMALL : entity is\n"                      // 15
    "    \"BYPASS (1111), EXTEST (0000), SAMPLE (0001, 0010), \" &\n"            // 16
    "    \"IDCODE (0110)\";\n"                                                   // 17
    "  attribute INSTRUCTION_CAPTURE of SMALL : entity is \"XX01\";\n"           // 18
    "  attribute IDCODE_REGISTER of SMALL : entity is\n"                         // 19
    "    \"0001\" & \"0000000000000001\" & \"00000001111\" & \"1\";\n"           // 20
    "  attribute REGISTER_ACCESS of SMALL : entity is \"DEVICE_ID (IDCODE)\";\n"  // 21
    "  attribute BOUNDARY_LENGTH of SMALL : entity is 5;\n"                      // 22
    "  attribute BOUNDARY_REGISTER of SMALL : entity is\n"                       // 23
    "    \"0 (BC_1, A, input, X), \" &\n"                                        // 24
    "    \"1 (BC_1, *, control, 1), \" &\n"                                      // 25
    "    \"2 (BC_1, A, output3, X, 1, 1, Z), \" &\n"                             // 26
    "    \"3 (BC_4, B(0), input, X), \" &\n"                                     // 27
    "    \"4 (BC_4, B(1), input, X)\";\n"                                        // 28
    "end SMALL;\n";                                                              // 29

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(BSDLValidator, TheSmallDescriptionIsSound) {
  const Description d = Read(kSmall, "small.bsd");
  EXPECT_EQ(Validate(d), std::vector<Finding>{});
  EXPECT_EQ(d.cells.at(3).port, "B(0)");
  EXPECT_EQ(d.cells.at(2).line.value, 26);
  EXPECT_EQ(d.instructions.at(2).opcodes, (std::vector<std::string>{"0001", "0010"}));
  EXPECT_EQ(d.pinMaps.at(0).entries.back().pins, (std::vector<std::string>{"8", "9"}));
}

TEST(BSDLValidator, BrokenVariantsGiveTheirFindingOnTheirLine) {
  struct Case {
    const char* from;
    const char* to;
    std::vector<Finding> expected;
  } cases[] = {
      {"entity is 5;", "entity is 6;", {{23, "BOUNDARY_REGISTER has 5 cells but BOUNDARY_LENGTH is 6"},
        {23, "cell 5 is missing from BOUNDARY_REGISTER"}}},
      {"\"4 (BC_4, B(1), input, X)\"", "\"5 (BC_4, B(1), input, X)\"", {{28, "cell 5 is beyond BOUNDARY_LENGTH 5"},
        {23, "cell 4 is missing from BOUNDARY_REGISTER"}}},
      {"\"4 (BC_4, B(1), input, X)\"", "\"3 (BC_4, B(1), input, X)\"", {{28, "cell 3 is listed again (first on line 27)"},
        {23, "BOUNDARY_REGISTER has 4 cells but BOUNDARY_LENGTH is 5"},
        {23, "cell 4 is missing from BOUNDARY_REGISTER"}}},
      {"\"4 (BC_4, B(1), input, X)\"", "\"6 (BC_4, B(1), input, X)\"", {{28, "cell 6 is beyond BOUNDARY_LENGTH 5"},
        {23, "cell 4 is missing from BOUNDARY_REGISTER"}}},
      {"EXTEST (0000)", "EXTEST (00000)", {{16, "opcode 00000 of EXTEST has 5 bits but INSTRUCTION_LENGTH is 4"}}},
      {"\"XX01\"", "\"XXX01\"", {{14, "INSTRUCTION_CAPTURE has 5 bits but INSTRUCTION_LENGTH is 4"}}},
      {"(BC_1, A, output3", "(BC_1, C, output3", {{26, "cell 2 names the port C, which is not in the port list"}}},
      {"B(1), input", "B(2), input", {{28, "cell 4 names B(2), outside the range of the port B"}}},
      {"output3, X, 1, 1, Z", "output3, X, 0, 1, Z", {{26, "cell 2 names the control cell 0, which is not a control cell"}}},
      {"output3, X, 1, 1, Z", "output3, X, 9, 1, Z", {{26, "cell 2 names the control cell 9, which does not exist"}}},
      // An open-drain output: its OUTPUT2 cell is its own control cell. Any other cell that
      // names itself is still wrong.
      {"output3, X, 1, 1, Z", "output2, X, 2, 1, WEAK1", {}},
      {"output3, X, 1, 1, Z", "OUTPUT2, X, 2, 1, PULL1", {}},
      {"output3, X, 1, 1, Z", "output3, X, 2, 1, Z", {{26, "cell 2 names the control cell 2, which is not a control cell"}}},
      {"\"1 (BC_1, *, control, 1)", "\"1 (BC_1, *, internal, 1, 1, 1, Z)",
       {{25, "cell 1 names the control cell 1, which is not a control cell"},
        {26, "cell 2 names the control cell 1, which is not a control cell"}}},
      {"\"A:5, B:(6,7)", "\"Q:5, B:(6,7)", {{9, "pin map PKG names the port Q, which is not in the port list"}}},
      {"B:(6,7)", "B:(6)", {{9, "pin map PKG gives 1 pin(s) for B, which has 2"}}},
      {"& \"1\";", "& \"0\";", {{19, "IDCODE_REGISTER must end in 1 (its least significant bit)"}}},
      {"\"0001\" & ", "", {{19, "IDCODE_REGISTER has 28 bits instead of 32"}}},
      {"TAP_SCAN_OUT of TDO", "TAP_SCAN_OUT of TDX", {{12, "TAP_SCAN_OUT names TDX, which is not in the port list"}}},
      {"\"DEVICE_ID (IDCODE)\"", "\"DEVICE_ID (IDCODE, USERCODE)\"", {{21,
       "REGISTER_ACCESS of DEVICE_ID names USERCODE, which INSTRUCTION_OPCODE does not define"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    const std::vector<Finding> found = Validate(Read(Replace(kSmall, c.from, c.to), "small.bsd"));
    EXPECT_EQ(found, c.expected);
  }
}

TEST(BSDLReader, SyntaxErrorsNameTheFileTheLineAndWhatWasExpected) {
  struct Case {
    const char* from;
    const char* to;
    int line;
    const char* message;
  } cases[] = {
      {"entity SMALL is", "entity SMALL", 2, "expected \"is\" after the entity name, found \"generic\""},
      {"end SMALL;", "", 30, "expected \"end SMALL;\" before the end of the file"},
      {"end SMALL;", "end OTHER;", 29, "expected \"end SMALL;\", found the name \"OTHER\""},
      {"TDO : out bit;", "TDO : sideways bit;", 3,
       "expected a port mode (in, out, inout, buffer or linkage), found \"sideways\""},
      {"\"A:5, B:(6,7)", "\"A:5 B:(6,7)", 9, "expected ',' between pin map entries, found \"B\" in the pin map PKG"},
      {"(BC_1, *, control, 1), \" &", "(BC_1, *, control, 1) \" &", 26,
       "expected ',' between cells, found \"2\" in the attribute BOUNDARY_REGISTER"},
      {"output3, X, 1, 1, Z", "output3, X, 1, 2, Z", 26, "expected a disable value (0 or 1) of cell 2, found \"2\""},
      {"EXTEST (0000)", "EXTEST (0020)", 16, "expected an opcode of 0, 1 and X for EXTEST, found \"0020\""},
      {"entity is 4;", "entity is four;", 14, "expected the instruction length (a number), found \"four\""},
      {"(10.0e6, BOTH)", "(10.0e6, HIGH)", 13, "expected the TCK halt state (LOW or BOTH), found \"HIGH\""},
      {"\"XX01\";", "\"XX01;", 18, "expected the closing '\"' of a string on the same line"},
      {"entity is 5;", "entity is 5", 23, "expected ';' at the end of the attribute BOUNDARY_LENGTH, found \"attribute\""},
      // Numbers a description cannot hold: an infinite or vanishing frequency, a vector wider
      // than any package (its width overflowed an int).
      {"(10.0e6, BOTH)", "(1e999, BOTH)", 13, "expected the maximum TCK frequency (a number a double can hold), found \"1e999\""},
      {"(10.0e6, BOTH)", "(1.0e-999, BOTH)", 13,
       "expected the maximum TCK frequency (a number a double can hold), found \"1.0e-999\""},
      {"bit_vector(0 to 1)", "bit_vector(0 to 2147483647)", 4,
       "the vector range (0 to 2147483647) is wider than 1048576 bits"},
      {"bit_vector(1 to 2)", "bit_vector(2147483647 downto 0)", 4,
       "the vector range (2147483647 downto 0) is wider than 1048576 bits"},
      {"bit_vector(0 to 1)", "bit_vector(0 to 99999999999)", 4,
       "expected the last index of the vector (a whole number), found \"99999999999\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    try {
      Read(Replace(kSmall, c.from, c.to), "small.bsd");
      ADD_FAILURE() << "accepted";
    } catch (const ParseError& e) {
      EXPECT_EQ(e.file(), "small.bsd");
      EXPECT_EQ(e.line(), c.line);
      EXPECT_EQ(e.message(), c.message);
      EXPECT_EQ(std::string(e.what()), "small.bsd:" + std::to_string(c.line) + ": " + c.message);
    }
  }
}

TEST(BSDLReader, CommentsUnknownAttributesAndLetterCaseDoNotMatter) {
  const std::string text = Replace(
      Replace(Replace(kSmall, "  use STD_1149_1_2001.all;\n",
                      "  USE STD_1149_1_2001 . ALL ; -- a comment; with \"quotes\"\n"
                      "  attribute PORT_GROUPING of SMALL : entity is \"DIFFERENTIAL_VOLTAGE ((A, B(0)))\";\n"),
              "\"1 (BC_1, *, control, 1), \" &\n", "-- between literals\n    \"1 (bc_1, *, CONTROL, 1), \" & -- here too\n"),
      "end SMALL;\n", "END small ;\n-- trailing history\n\n");
  const Description d = Read(text, "small.bsd");
  EXPECT_EQ(d.cells.size(), 5u);
  EXPECT_EQ(d.cells[1].function, "CONTROL");
  EXPECT_EQ(Validate(d), std::vector<Finding>{});
}

TEST(BSDLReader, ItemsRunOnFromOneLiteralIntoTheNext) {
  // Literals join into one text: a word or a list may be cut anywhere, and each item keeps the
  // line of the literal it starts in.
  const std::string text =
      Replace(Replace(kSmall, "\"2 (BC_1, A, output3, X, 1, 1, Z), \" &\n", "\"2 (BC_1, A, out\" & \"put3, X, 1, \" &\n\"1, Z), \" &\n"),
              "\"A:5, B:(6,7)", "\"A:5, B:(6\" & \"\" & \",7)");
  const Description d = Read(text, "small.bsd");
  EXPECT_EQ(d.cells.at(2).function, "output3");
  EXPECT_EQ(d.cells.at(2).disableResult, "Z");
  EXPECT_EQ(d.cells.at(2).line.value, 26);
  EXPECT_EQ(d.cells.at(3).line.value, 28);
  EXPECT_EQ(d.pinMaps.at(0).entries.at(5).pins, (std::vector<std::string>{"6", "7"}));
  EXPECT_EQ(Validate(d), std::vector<Finding>{});
}

TEST(BSDLReader, EveryCellOfALongRegisterHasTheLineOfItsLiteral) {
  // One literal per line, and a few lines with two cells, over a register of thousands.
  const int n = 5000;
  std::string text =
      "entity LONG is\n  port (TDI, TMS, TCK : in bit; TDO : out bit);\n"
      "  attribute BOUNDARY_REGISTER of LONG : entity is\n";  // the cells start on line 4
  std::vector<int> expected;
  int line = 4;
  for (int i = 0; i < n; ++i) {
    const bool pair = i % 1000 == 7 && i + 1 < n;
    text += "    \"" + std::to_string(i) + " (BC_1, *, internal, X), ";
    expected.push_back(line);
    if (pair) {
      text += std::to_string(++i) + " (BC_1, *, internal, X), ";
      expected.push_back(line);
    }
    text += i + 1 < n ? "\" &\n" : "\";\n";
    ++line;
  }
  text.replace(text.rfind(", \";"), 4, "\";");
  text += "end LONG;\n";
  const Description d = Read(text, "long.bsd");
  ASSERT_EQ(d.cells.size(), static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) ASSERT_EQ(d.cells[static_cast<std::size_t>(i)].line.value, expected[static_cast<std::size_t>(i)]) << i;
}

TEST(BSDLValidator, AnOpenDrainOutputMayBeItsOwnControlCell) {
  // The fixture's ALERT_N is driven only low: cell 4 (OUTPUT2) names itself as its control
  // cell. The same self-reference on an OUTPUT3 cell stays a finding, on the cell's line.
  const Description d = ReadFile(Fixture("OPEN_DRAIN.bsd"));
  ASSERT_EQ(d.cells.size(), 5u);
  EXPECT_EQ(d.cells[4].control, 4);
  EXPECT_EQ(d.cells[4].disableResult, "PULL1");
  EXPECT_EQ(Validate(d), std::vector<Finding>{});
  std::ifstream f(Fixture("OPEN_DRAIN.bsd"), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const Description three = Read(Replace(text, "output2, 1, 4", "output3, 1, 4"), "open_drain.bsd");
  EXPECT_EQ(Validate(three), (std::vector<Finding>{{45, "cell 4 names the control cell 4, which is not a control cell"}}));
}

TEST(BSDLReader, DamagedTextGivesAParseErrorNeverACrash) {
  // Every prefix of the small description, and deterministic byte damage of a vendor file:
  // the reader either reads it or throws ParseError; validating whatever it read is safe too.
  const std::string small = kSmall;
  auto attempt = [](const std::string& text) {
    try {
      const Description d = Read(text, "damaged.bsd");
      (void)Validate(d);
    } catch (const ParseError&) {
    }
  };
  for (std::size_t n = 0; n < small.size(); ++n) EXPECT_NO_FATAL_FAILURE(attempt(small.substr(0, n)));
  std::ifstream f(Fixture("sctm002.bsm"), std::ios::binary);
  const std::string vendor((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::uint32_t seed = 12345;
  const char noise[] = "\"(),;:&*-\n0X1aZ_ \t\x01\xff";
  for (int round = 0; round < 300; ++round) {
    std::string text = vendor;
    for (int k = 0; k < 4; ++k) {
      seed = seed * 1664525u + 1013904223u;
      text[seed % text.size()] = noise[(seed >> 16) % (sizeof noise - 1)];
    }
    attempt(text);
  }
}

}  // namespace
}  // namespace s4::bsdl