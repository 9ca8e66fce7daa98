// The file layer's mapping of host paths: "\" separators, letter case ignored, "." and ".."
// taken lexically, and whole-file writes that never leave a partial file.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/widestring.h"
#include "tests/host_test_folder.h"

namespace s4 {
namespace {

TEST(PlatformFiles, HostPathsResolveIgnoringCase) {
  test::TempFolder tmp;
  tmp.Write("Lib/BSDL/Altera/Stratix4/EP4SGX70DF29.bsd", "x");
  struct Case {
    const char* rel;  // written with "\" below
    bool exists;
  } cases[] = {
      {"Lib/BSDL/Altera/Stratix4/EP4SGX70DF29.bsd", true}, {"LIB/bsdl/ALTERA/stratix4/ep4sgx70df29.BSD", true},
      {"Lib/Missing/../BSDL/altera/Stratix4/EP4SGX70DF29.bsd", true}, {"Lib/./BSDL/Altera/x/../Stratix4/EP4SGX70DF29.bsd", true},
      {"Lib/BSDL/Altera/Stratix4/EP4SGX70DF29.bsdx", false}, {"Lib/BSDL/Altera/Stratix4", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rel);
    EXPECT_EQ(FileExists(tmp.host(c.rel)), c.exists);
  }
  EXPECT_TRUE(DirectoryExists(tmp.host("lib/bsdl/")));
  EXPECT_EQ(ReadWholeFile(tmp.host("LIB/BSDL/ALTERA/STRATIX4/EP4SGX70DF29.BSD")).value_or("?"), "x");
#if defined(_WIN32)
  // Windows' file systems ignore letter case themselves: the path keeps the spelling given.
  EXPECT_EQ(ResolveOsPath(tmp.host("LIB/New/File.TXT")), Utf16ToUtf8(tmp.host("LIB/New/File.TXT")));
#else
  // A missing tail is kept as written after the part that exists.
  EXPECT_EQ(ResolveOsPath(tmp.host("LIB/New/File.TXT")), tmp.os("Lib/New/File.TXT"));
#endif
}

TEST(PlatformFiles, WholeFileWritesAndMoves) {
  test::TempFolder tmp;
  EXPECT_TRUE(WriteWholeFile(tmp.host("a.txt"), "first"));
  EXPECT_TRUE(WriteWholeFile(tmp.host("A.TXT"), "second"));  // the same file
  EXPECT_EQ(ReadWholeFile(tmp.host("a.txt")).value_or("?"), "second");
  EXPECT_FALSE(WriteWholeFile(tmp.host("no/such/folder/b.txt"), "x"));
  EXPECT_EQ(FilesInFolder(tmp.host()), std::vector<std::u16string>{u"a.txt"});  // no temporary left over
  EXPECT_TRUE(CreateFolder(tmp.host("x/y/z")));
  EXPECT_TRUE(MoveFileTo(tmp.host("a.txt"), tmp.host("x/y/z/b.txt")));
  EXPECT_FALSE(FileExists(tmp.host("a.txt")));
  EXPECT_TRUE(FileDate(tmp.host("x/y/z/b.txt")).has_value());
  EXPECT_FALSE(FileDate(tmp.host("a.txt")).has_value());
  EXPECT_TRUE(DeleteFileAt(tmp.host("X/Y/Z/B.TXT")));
  EXPECT_FALSE(ReadWholeFile(tmp.host("x/y/z/b.txt")).has_value());
}

}  // namespace
}  // namespace s4
