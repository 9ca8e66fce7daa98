// The main function of the test programs on Windows. Standard output is put in binary mode
// first: in text mode the C runtime ends every line with CR LF, which the tools that read
// the output on the build machine (ctest, the test discovery) would take as part of a test
// name or a value.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
