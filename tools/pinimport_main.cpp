// s4_pinimport: converts a vendor pin-out table (tab-separated text) of one device package
// into the pin data format of devicedata/data. See tools/pindata/vendor_import.h for what is
// assumed about the input; it has not been tried on a real vendor file.
//
//   s4_pinimport DEVICE_PACKAGE PINOUT.txt OUT.pins.tsv [--column F780] [--write-anyway]
//
// The result is checked like every pin file; it is written only when it passes, unless
// --write-anyway is given (to look at what came out). Exit code 0 written and valid, 1 not
// valid, 2 bad usage, 3 a file cannot be read or written.
#include <iostream>
#include <string>

#include "tools/pindata/text_file.h"
#include "tools/pindata/vendor_import.h"

using namespace s4::pindata;

int main(int argc, char** argv) {
  std::string positional[3], column;
  int count = 0;
  bool anyway = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--column" && i + 1 < argc) {
      column = argv[++i];
    } else if (a == "--write-anyway") {
      anyway = true;
    } else if (a == "--help" || a == "-h") {
      std::cout << "usage: s4_pinimport DEVICE_PACKAGE PINOUT.txt OUT.pins.tsv [--column NAME] [--write-anyway]\n"
                   "  DEVICE_PACKAGE  e.g. EP4SGX70DF29\n"
                   "  --column NAME   the ball column of the table (default: package letter + ball count, F780)\n"
                   "Assumed input: see tools/pindata/vendor_import.h and the README (not tried on real files).\n";
      return 0;
    } else if (count < 3) {
      positional[count++] = a;
    } else {
      std::cerr << "s4_pinimport: unexpected argument '" << a << "'\n";
      return 2;
    }
  }
  if (count != 3) {
    std::cerr << "usage: s4_pinimport DEVICE_PACKAGE PINOUT.txt OUT.pins.tsv [--column NAME] [--write-anyway]\n";
    return 2;
  }
  const auto dp = DevicePackageByName(positional[0]);
  if (!dp) {
    std::cerr << "s4_pinimport: '" << positional[0] << "' is not a device package (e.g. EP4SGX70DF29)\n";
    return 2;
  }
  auto text = ReadTextFile(positional[1]);
  if (!text) {
    std::cerr << "s4_pinimport: cannot read " << positional[1] << "\n";
    return 3;
  }
  ImportResult result = ImportVendorPinout(*text, *dp, column, positional[1]);
  for (const auto& e : result.Errors) std::cerr << e << "\n";
  if (result.File.PinSet.empty()) return 1;
  const auto problems = Validate(result.File, positional[1]);
  for (const auto& d : problems) std::cerr << d.ToString() << "\n";
  const bool valid = problems.empty() && result.Errors.empty();
  if (valid || anyway) {
    std::string error;
    if (!WriteTextFileAtomically(positional[2], WritePinFile(result.File), error)) {
      std::cerr << "s4_pinimport: " << error << "\n";
      return 3;
    }
  }
  if (!valid) std::cerr << "s4_pinimport: the result breaks the rules above" << (anyway ? " (written anyway)" : "; nothing written") << "\n";
  return valid ? 0 : 1;
}
