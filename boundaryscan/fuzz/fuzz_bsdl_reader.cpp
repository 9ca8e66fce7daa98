// libFuzzer target for the BSDL reader. Built only with -DS4_FUZZ=ON and clang:
//
//   cmake -S . -B build-fuzz -G Ninja -DS4_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//   ninja -C build-fuzz fuzz_bsdl_reader
//   build-fuzz/boundaryscan/fuzz_bsdl_reader -runs=1000000 -max_len=4096 -dict=boundaryscan/fuzz/bsdl.dict \
//       CORPUS_DIR boundaryscan/fuzz/seeds tests/fixtures/bsdl
//
// Properties checked for every input:
//   1. reading any text either gives a description or a ParseError, never a crash;
//   2. validating and flattening whatever was read is safe;
//   3. what was read, written by our writer, reads back to the same description, and writing
//      that again gives the same text (the writer never writes what the reader refuses).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "boundaryscan/bsdl/flatten.h"
#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
#include "boundaryscan/bsdl/writer.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace s4::bsdl;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Description d;
  try {
    d = Read(text, "fuzz.bsd");
  } catch (const ParseError&) {
    return 0;
  }
  (void)Validate(d);
  try {
    (void)Flatten(d);
  } catch (const ParseError&) {
    std::abort();  // flattening reads nothing
  } catch (const std::runtime_error&) {
    // no pin map to take the package pins from
  }
  const std::string written = Write(d, "fuzz");  // throws (and so fails) on what it cannot write
  Description again;
  try {
    again = Read(written, "written.bsd");
  } catch (const ParseError&) {
    std::abort();
  }
  Check(again == d);
  Check(Write(again, "fuzz") == written);
  return 0;
}
