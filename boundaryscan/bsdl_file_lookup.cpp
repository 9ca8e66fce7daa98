#include "boundaryscan/bsdl_file_lookup.h"

#include "host/host_utilities.h"
#include "platform/files.h"
#include "platform/zip_archive.h"

namespace s4 {

std::u16string DetermineFullPath(std::u16string_view bsdlFileName, std::u16string_view deviceVendorName,
                                 std::u16string_view libraryFolder, std::u16string_view deviceFamilyName) {
  const bool relative = bsdlFileName.find(u':') == std::u16string_view::npos && bsdlFileName.substr(0, 2) != u"\\\\";
  if (!relative) return std::u16string(bsdlFileName);
  const std::u16string folder =
      IncludeTrailingBackslash(libraryFolder.empty() ? std::u16string_view(host::LibraryFolder()) : libraryFolder);
  return folder + u"BSDL\\" + std::u16string(deviceVendorName) + u"\\" + std::u16string(deviceFamilyName) + u"\\" +
         std::u16string(bsdlFileName);
}

std::u16string FindFullBSDLPath(std::u16string_view sourcePath) {
  const std::u16string name = ExtractFileName(sourcePath);
  if (name.empty()) return {};
  if (FileExists(sourcePath)) return std::u16string(sourcePath);
  const std::u16string temp = host::TempFolder();
  const std::u16string tempCopy = temp + name;
  if (FileExists(tempCopy)) return tempCopy;
  const std::u16string zipped = ChangeFileExt(sourcePath, u".Zip");
  if (FileExists(zipped)) {
    // Whether the unpacking succeeded matters only through the file it leaves.
    UnzipFlat(zipped, temp);
    if (FileExists(tempCopy)) return tempCopy;
  }
  return {};
}

}  // namespace s4
