// A fresh temporary folder per test, removed afterwards, with helpers to write files in it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/path.h"

namespace s4::test {

class TempFolder {
 public:
  TempFolder() {
    // create_directory fails on a name that exists, so a new folder is this test's alone
    // (mkdtemp does the same, but only on POSIX systems).
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path p = base / ("s4test-" + std::to_string(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(p, ec)) path_ = p;
    }
    if (path_.empty()) ADD_FAILURE() << "cannot make a temporary folder";
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string os(const std::string& rel = "") const { return (path_ / rel).string(); }
  // The host path text of a file or folder in it ("\" separators); folders end in "\".
  std::u16string host(const std::string& rel = "") const {
    std::u16string h = ToHostPath((path_ / rel).string());
    for (char16_t& c : h)
      if (c == u'/') c = u'\\';  // on Windows ToHostPath keeps a "/" of `rel`
    if (rel.empty() || rel.back() == '/') {
      if (h.empty() || h.back() != u'\\') h += u'\\';
    }
    return h;
  }
  // Writes a file (making its folders) and answers its OS path.
  std::string Write(const std::string& rel, const std::string& bytes) const {
    const auto p = path_ / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace s4::test
