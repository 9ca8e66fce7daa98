// BSDL file lookup: the expected path, the temporary copy, and unpacking a zipped copy - also
// when the archive is hostile or corrupt.
#include <gtest/gtest.h>
#include <zip.h>

#include <cstdlib>

#include "boundaryscan/bsdl_file_lookup.h"
#include "host/host_utilities.h"
#include "platform/files.h"
#include "platform/widestring.h"
#include "platform/zip_archive.h"
#include "tests/host_test_folder.h"

namespace s4 {
namespace {

using test::TempFolder;

struct Entry {
  std::string name;
  std::string data;
  std::uint32_t unixMode = 0100644;  // the type bits decide what the entry is
};

// Writes a zip archive with libzip.
void MakeZip(const std::string& path, const std::vector<Entry>& entries) {
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_TRUE(z) << err;
  for (const Entry& e : entries) {
    zip_source_t* src = zip_source_buffer(z, e.data.data(), e.data.size(), 0);
    const zip_int64_t i = zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    ASSERT_GE(i, 0) << e.name;
    zip_file_set_external_attributes(z, static_cast<zip_uint64_t>(i), 0, ZIP_OPSYS_UNIX, e.unixMode << 16);
  }
  ASSERT_EQ(zip_close(z), 0);
}

class BsdlLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* t = std::getenv("TMPDIR")) saved_ = t;
    std::filesystem::create_directories(tmp.path() / "temp");
    setenv("TMPDIR", tmp.os("temp").c_str(), 1);
  }
  void TearDown() override {
    if (saved_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", saved_.c_str(), 1);
  }
  // Everything under the test folder except the archive's own folder, as relative paths.
  std::vector<std::string> FilesOutsideLib() const {
    std::vector<std::string> out;
    for (auto& p : std::filesystem::recursive_directory_iterator(tmp.path()))
      if (!p.is_directory() && p.path().string().find("/lib/") == std::string::npos)
        out.push_back(std::filesystem::relative(p.path(), tmp.path()).string());
    std::sort(out.begin(), out.end());
    return out;
  }
  TempFolder tmp;
  std::string saved_;
};

TEST_F(BsdlLookup, DetermineFullPath) {
  EXPECT_EQ(DetermineFullPath(u"EP4SGX70DF29.bsd", u"V", u"", u"Stratix4"),
            host::LibraryFolder() + u"BSDL\\V\\Stratix4\\EP4SGX70DF29.bsd");
  EXPECT_EQ(DetermineFullPath(u"EP4SGX70DF29.bsd", u"Altera", u"D:\\Lib", u"Stratix4"),
            u"D:\\Lib\\BSDL\\Altera\\Stratix4\\EP4SGX70DF29.bsd");
  EXPECT_EQ(DetermineFullPath(u"EP4SGX70DF29.bsd", u"Altera", u"D:\\Lib\\", u"Stratix4"),
            u"D:\\Lib\\BSDL\\Altera\\Stratix4\\EP4SGX70DF29.bsd");
  EXPECT_EQ(DetermineFullPath(u"C:\\x\\y.bsd", u"Altera", u"", u"Stratix4"), u"C:\\x\\y.bsd");
  EXPECT_EQ(DetermineFullPath(u"\\\\server\\share\\y.bsd", u"Altera", u"", u"Stratix4"), u"\\\\server\\share\\y.bsd");
}

TEST_F(BsdlLookup, SourceThenTemporaryCopyThenZippedCopy) {
  const std::u16string source = tmp.host("lib/BSDL/Altera/Stratix4/EP4SGX70DF29.bsd");
  const std::u16string tempCopy = host::TempFolder() + u"EP4SGX70DF29.bsd";
  EXPECT_EQ(FindFullBSDLPath(source), u"");
  EXPECT_EQ(FindFullBSDLPath(tmp.host("lib/BSDL/Altera/Stratix4/")), u"");  // names no file

  std::filesystem::create_directories(tmp.path() / "lib/BSDL/Altera/Stratix4");
  MakeZip(tmp.os("lib/BSDL/Altera/Stratix4/EP4SGX70DF29.Zip"),
          {{"inner/path/EP4SGX70DF29.bsd", "entity EP4SGX70DF29 is"}, {"readme.txt", "r"}});
  EXPECT_EQ(FindFullBSDLPath(source), tempCopy);
  EXPECT_EQ(ReadWholeFile(tempCopy).value_or(""), "entity EP4SGX70DF29 is");
  EXPECT_TRUE(FileExists(host::TempFolder() + u"readme.txt"));  // every entry is unpacked
  // A second lookup finds the copy without unpacking again.
  WriteWholeFile(tempCopy, "changed");
  EXPECT_EQ(FindFullBSDLPath(source), tempCopy);
  EXPECT_EQ(ReadWholeFile(tempCopy).value_or(""), "changed");
  // The file itself wins over every copy.
  tmp.Write("lib/BSDL/Altera/Stratix4/EP4SGX70DF29.bsd", "original");
  EXPECT_EQ(FindFullBSDLPath(source), source);
}

TEST_F(BsdlLookup, HostileArchivesWriteNothingOutsideTheFolder) {
  std::filesystem::create_directories(tmp.path() / "lib");
  const std::string zip = tmp.os("lib/x.Zip");
  std::filesystem::create_directories(tmp.path() / "temp/out");
  const std::u16string out = tmp.host("temp/out/");
  struct Case {
    const char* what;
    std::vector<Entry> entries;
    std::vector<std::string> written;  // names expected in the folder
  } cases[] = {
      {"paths are dropped", {{"a/b/c.bsd", "1"}, {"d\\e.bsd", "2"}}, {"c.bsd", "e.bsd"}},
      {"traversal is skipped", {{"../evil.bsd", "x"}, {"a/../../evil2.bsd", "x"}, {"ok.bsd", "1"}}, {"ok.bsd"}},
      {"absolute names are skipped", {{"/etc/evil.bsd", "x"}, {"C:evil.bsd", "x"}, {"\\evil.bsd", "x"}}, {}},
      {"folders and links are skipped",
       {{"dir/", "", 040755}, {"link.bsd", "/etc/passwd", 0120777}, {"fifo.bsd", "", 010644}, {"f.bsd", "1"}},
       {"f.bsd"}},
      {"names with control characters are skipped", {{"a\nb.bsd", "x"}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(tmp.path() / "temp/out");
    std::filesystem::create_directories(tmp.path() / "temp/out");
    MakeZip(zip, c.entries);
    const UnzipReport r = UnzipFlat(ToHostPath(zip), out);
    EXPECT_TRUE(r.ok);
    std::vector<std::string> expected;
    for (const std::string& n : c.written) expected.push_back("temp/out/" + n);
    EXPECT_EQ(FilesOutsideLib(), expected);
    EXPECT_EQ(r.written.size() + r.skipped.size(), c.entries.size());
  }
}

TEST_F(BsdlLookup, CorruptArchivesGiveNothing) {
  std::filesystem::create_directories(tmp.path() / "lib/BSDL");
  const std::string zip = tmp.os("lib/BSDL/D.Zip");
  MakeZip(zip, {{"A.bsd", std::string(5000, 'a')}, {"D.bsd", std::string(5000, 'd')}});
  const std::string good = ReadWholeFile(ToHostPath(zip)).value();
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"not a zip", "PK\x03\x04 this is not an archive"},
      {"truncated", good.substr(0, good.size() / 2)},
      {"central directory cut", good.substr(0, good.size() - 30)},
      {"data damaged", [&] {
         std::string s = good;
         s[60] = static_cast<char>(s[60] ^ 0x55);  // inside the first entry's data
         s[good.size() / 2] = static_cast<char>(s[good.size() / 2] ^ 0x55);
         return s;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(tmp.path() / "temp");
    std::filesystem::create_directories(tmp.path() / "temp");
    std::ofstream(zip, std::ios::binary | std::ios::trunc) << c.bytes;
    EXPECT_EQ(FindFullBSDLPath(tmp.host("lib/BSDL/D.bsd")), u"");
    EXPECT_EQ(FilesOutsideLib(), std::vector<std::string>{});  // not even a partial file
  }
}

}  // namespace
}  // namespace s4
