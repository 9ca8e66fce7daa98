// s4_bsdlsynth: writes the 45 synthesized BSDL sources of the built-in boundary-scan tables.
//
//   s4_bsdlsynth PINS_DIR OUT_DIR     (normally devicedata/data and boundaryscan/data)
//
// The output is deterministic; the files are checked in, and rerunning the tool after a
// change of the pin sets shows the change as a diff.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/bsdl_synth/synthesize.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: s4_bsdlsynth PINS_DIR OUT_DIR\n";
    return 2;
  }
  try {
    fs::create_directories(argv[2]);
    for (const s4::bsdl_synth::RecordFacts& r : s4::bsdl_synth::Records()) {
      const fs::path in = fs::path(argv[1]) / (std::string(r.name) + ".pins.tsv");
      std::ifstream f(in, std::ios::binary);
      if (!f) {
        std::cerr << in.string() << ": cannot open\n";
        return 3;
      }
      std::stringstream ss;
      ss << f.rdbuf();
      std::vector<s4::pindata::Diagnostic> diagnostics;
      const s4::pindata::PinFile pins = s4::pindata::ParsePinFile(ss.str(), in.string(), diagnostics);
      if (!diagnostics.empty()) {
        for (const auto& d : diagnostics) std::cerr << d.ToString() << "\n";
        return 2;
      }
      const s4::bsdl_synth::Synthesized s = s4::bsdl_synth::Synthesize(r, pins);
      for (const std::string& note : s.notes) std::cerr << "note: " << note << "\n";
      const fs::path out = fs::path(argv[2]) / (std::string(r.name) + ".bsd");
      const fs::path tmp = out.string() + ".tmp";
      std::ofstream(tmp, std::ios::binary) << s.text;
      fs::rename(tmp, out);
    }
  } catch (const std::exception& e) {
    std::cerr << "s4_bsdlsynth: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
