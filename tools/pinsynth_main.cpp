// s4_pinsynth: writes the synthesized pin data of all 45 device packages.
//
//   s4_pinsynth OUTDIR [--board PROJECT.qsf]...
//
// Board projects make the balls they assign user I/O (or transceiver) pins of their device.
// The output is the same for the same inputs; it is checked in under devicedata/data/.
#include <iostream>
#include <string>
#include <vector>

#include "tools/pindata/synthesize.h"
#include "tools/pindata/text_file.h"

using namespace s4::pindata;

int main(int argc, char** argv) {
  std::string outDir;
  std::vector<BoardAssignments> boards;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--board" && i + 1 < argc) {
      const std::string path = argv[++i];
      auto text = ReadTextFile(path);
      if (!text) {
        std::cerr << "s4_pinsynth: cannot read " << path << "\n";
        return 3;
      }
      const auto slash = path.find_last_of("/\\");
      boards.push_back(ParseBoardAssignments(*text, slash == std::string::npos ? path : path.substr(slash + 1)));
    } else if (a == "--help" || a == "-h") {
      std::cout << "usage: s4_pinsynth OUTDIR [--board PROJECT.qsf]...\n"
                   "Writes OUTDIR/<device package>.pins.tsv for all 45 device packages (synthesized data).\n";
      return 0;
    } else if (outDir.empty()) {
      outDir = a;
    } else {
      std::cerr << "s4_pinsynth: unexpected argument '" << a << "'\n";
      return 2;
    }
  }
  if (outDir.empty()) {
    std::cerr << "usage: s4_pinsynth OUTDIR [--board PROJECT.qsf]...\n";
    return 2;
  }
  int failures = 0;
  for (std::uint32_t i = 0; i < s4::kDevicePackageCount; ++i) {
    const auto dp = static_cast<s4::TDevicePackage>(i);
    PinFile file;
    try {
      file = Synthesize(dp, boards);
    } catch (const std::exception& e) {
      std::cerr << "s4_pinsynth: " << e.what() << "\n";
      return 1;
    }
    const std::string path = outDir + "/" + file.PinSet + ".pins.tsv";
    // Never write a file the validator would refuse.
    const auto problems = Validate(file, path, boards);
    for (const auto& d : problems) std::cerr << d.ToString() << "\n";
    if (!problems.empty()) {
      ++failures;
      continue;
    }
    std::string error;
    if (!WriteTextFileAtomically(path, WritePinFile(file), error)) {
      std::cerr << "s4_pinsynth: " << error << "\n";
      return 3;
    }
  }
  return failures ? 1 : 0;
}
