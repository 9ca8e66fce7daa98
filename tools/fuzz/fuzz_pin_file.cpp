// libFuzzer target for the pin data reader and the other texts the pin tools read. Built only
// with -DS4_FUZZ=ON and clang:
//
//   cmake -S . -B build-fuzz -G Ninja -DS4_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//   ninja -C build-fuzz fuzz_pin_file && build-fuzz/tools/fuzz_pin_file -runs=1000000
//
// Properties checked for every input:
//   1. reading any text as a pin file, validating what was read, and reading it as a board
//      project (.qsf) and as a vendor pin-out table never crash;
//   2. what was read, written and read again has the same header values, comments and pins;
//   3. writing that again gives the same text (the written form is canonical);
//   4. a text that read without a diagnostic is written as one that reads without one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/pindata/pin_file.h"
#include "tools/pindata/validator.h"
#include "tools/pindata/vendor_import.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace s4::pindata;
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::vector<Diagnostic> first;
  const PinFile read = ParsePinFile(text, "fuzz.pins.tsv", first);
  for (const Diagnostic& d : first) (void)d.ToString();
  if (first.empty()) (void)Validate(read, "fuzz.pins.tsv");

  const std::string written = WritePinFile(read);
  std::vector<Diagnostic> second;
  const PinFile back = ParsePinFile(written, "written.pins.tsv", second);
  Check(SameContent(read, back));
  Check(WritePinFile(back) == written);
  if (first.empty()) Check(second.empty());

  const BoardAssignments board = ParseBoardAssignments(text, "fuzz.qsf");
  (void)BoardDevicePackage(board);
  const ImportResult imported = ImportVendorPinout(text, s4::eDP_EP4SGX70DF29, "", "fuzz.txt");
  (void)WritePinFile(imported.File);
  return 0;
}
