// The checked-in BSDL sources of the built-in tables are what the synthesizer makes of the
// checked-in pin sets: a change of the pin data without rerunning s4_bsdlsynth fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "boundaryscan/bsdl/reader.h"
#include "tools/bsdl_synth/synthesize.h"

namespace s4::bsdl_synth {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

TEST(BSDLSynthesizer, CheckedInSourcesAreUpToDateAndLabelled) {
  for (const RecordFacts& r : Records()) {
    SCOPED_TRACE(std::string(r.name));
    const std::string pinsPath = std::string(S4_SOURCE_DIR) + "/devicedata/data/" + std::string(r.name) + ".pins.tsv";
    std::vector<pindata::Diagnostic> diagnostics;
    const pindata::PinFile pins = pindata::ParsePinFile(Slurp(pinsPath), pinsPath, diagnostics);
    ASSERT_TRUE(diagnostics.empty());
    const Synthesized s = Synthesize(r, pins);
    const std::string checkedIn = Slurp(std::string(S4_SOURCE_DIR) + "/boundaryscan/data/" + std::string(r.name) + ".bsd");
    EXPECT_TRUE(s.text == checkedIn) << "rerun: s4_bsdlsynth devicedata/data boundaryscan/data";
    EXPECT_EQ(checkedIn.rfind("-- SYNTHESIZED DATA - NOT VENDOR DATA.", 0), 0u);
    EXPECT_TRUE(bsdl::Read(checkedIn, r.name) == s.description);
  }
}

TEST(BSDLSynthesizer, APinSetThatCannotCarryTheRecordIsRefused) {
  const RecordFacts& r = Records()[0];
  const std::string pinsPath = std::string(S4_SOURCE_DIR) + "/devicedata/data/" + std::string(r.name) + ".pins.tsv";
  std::vector<pindata::Diagnostic> diagnostics;
  pindata::PinFile pins = pindata::ParsePinFile(Slurp(pinsPath), pinsPath, diagnostics);
  pindata::PinFile missingTap = pins;
  std::erase_if(missingTap.Pins, [&](const pindata::Pin& p) { return p.PinNumber == r.tdi; });
  EXPECT_THROW(Synthesize(r, missingTap), std::runtime_error);
  pindata::PinFile noFreeJ7 = pins;
  for (pindata::Pin& p : noFreeJ7.Pins)
    if (p.PinNumber == "J7") p.Options = pindata::kIO;
  EXPECT_THROW(Synthesize(r, noFreeJ7), std::runtime_error);
  // A TAP ball that the pin set offers as I/O (or as anything but a dedicated pin) would make
  // the description contradict the pin data.
  for (std::uint16_t flags : {std::uint16_t(pindata::kIO), std::uint16_t(pindata::kVREF)}) {
    pindata::PinFile tapAsPin = pins;
    for (pindata::Pin& p : tapAsPin.Pins)
      if (p.PinNumber == r.tck) p.Options = flags;
    EXPECT_THROW(Synthesize(r, tapAsPin), std::runtime_error) << pindata::FlagsToText(flags);
  }
}

TEST(BSDLSynthesizer, ASourceIsSynthesizedOnlyWhenItCarriesTheSynthesizersMark) {
  struct Case {
    std::string text;
    std::string_view provenance;
  } cases[] = {
      {"-- SYNTHESIZED DATA - NOT VENDOR DATA.\n-- more\nentity X is\n", "synthesized"},
      {"-- SYNTHESIZED DATA - NOT VENDOR DATA.\r\nentity X is\r\n", "synthesized"},
      {"\xEF\xBB\xBF-- SYNTHESIZED DATA - NOT VENDOR DATA.\n", "synthesized"},
      {"-- Copyright the vendor\n-- SYNTHESIZED DATA - NOT VENDOR DATA.\n", "vendor"},
      {"-- SYNTHESIZED DATA - NOT VENDOR DATA. (or is it)\n", "vendor"},
      {"entity EP4SGX70DF29 is\n", "vendor"},
      {"", "vendor"},
  };
  for (const Case& c : cases) EXPECT_EQ(BsdlSourceProvenance(c.text), c.provenance) << c.text;
  for (const RecordFacts& r : Records())
    EXPECT_EQ(BsdlSourceProvenance(Slurp(std::string(S4_SOURCE_DIR) + "/boundaryscan/data/" + std::string(r.name) + ".bsd")),
              "synthesized")
        << r.name;
}

}  // namespace
}  // namespace s4::bsdl_synth
