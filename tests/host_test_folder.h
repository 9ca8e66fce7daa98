// A fresh temporary folder per test, removed afterwards, with helpers to write files in it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/path.h"

namespace s4::test {

class TempFolder {
 public:
  TempFolder() {
    std::string templ = (std::filesystem::temp_directory_path() / "s4test-XXXXXX").string();
    if (!mkdtemp(templ.data())) ADD_FAILURE() << "cannot make a temporary folder";
    path_ = templ;
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
