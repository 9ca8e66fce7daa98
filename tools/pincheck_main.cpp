// s4_pincheck: checks pin data files (see tools/pindata/validator.h for the rules).
//
//   s4_pincheck [--board PROJECT.qsf]... FILE.pins.tsv...
//
// Prints one line per problem (file:line: pin P: [rule] message); exit code 0 when every
// file passes, 1 when any does not, 2 on bad usage, 3 when a file cannot be read.
#include <iostream>
#include <string>
#include <vector>

#include "tools/pindata/text_file.h"
#include "tools/pindata/validator.h"

using namespace s4::pindata;

int main(int argc, char** argv) {
  std::vector<std::string> files;
  std::vector<BoardAssignments> boards;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--board" && i + 1 < argc) {
      const std::string path = argv[++i];
      auto text = ReadTextFile(path);
      if (!text) {
        std::cerr << "s4_pincheck: cannot read " << path << "\n";
        return 3;
      }
      boards.push_back(ParseBoardAssignments(*text, path));
    } else if (a == "--help" || a == "-h") {
      std::cout << "usage: s4_pincheck [--board PROJECT.qsf]... FILE.pins.tsv...\n";
      return 0;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    std::cerr << "usage: s4_pincheck [--board PROJECT.qsf]... FILE.pins.tsv...\n";
    return 2;
  }
  bool bad = false;
  for (const auto& path : files) {
    auto text = ReadTextFile(path);
    if (!text) {
      std::cerr << "s4_pincheck: cannot read " << path << "\n";
      return 3;
    }
    std::vector<Diagnostic> problems;
    PinFile file = ParsePinFile(*text, path, problems);
    if (problems.empty()) problems = Validate(file, path, boards);
    for (const auto& d : problems) std::cout << d.ToString() << "\n";
    bad |= !problems.empty();
  }
  return bad ? 1 : 0;
}
