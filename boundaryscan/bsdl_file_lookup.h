// Finding the vendor's BSDL file of a device on disk. The files lie in the library folder
// under "BSDL\<vendor>\<family>\"; a copy may sit in the temporary folder, and a zipped copy
// (the same path with the extension ".Zip") is unpacked into the temporary folder on demand.
// These are class-level operations of the boundary-scan entity; they need no entity object.
#pragma once

#include <string>
#include <string_view>

namespace s4 {

// The expected location of a BSDL file. A relative name (no ":" and not starting with "\\")
// is placed in `libraryFolder` (the module's "Library\" folder when empty, "\" added when
// missing) + "BSDL\" + vendor + "\" + family + "\"; any other name is answered unchanged.
std::u16string DetermineFullPath(std::u16string_view bsdlFileName, std::u16string_view deviceVendorName,
                                 std::u16string_view libraryFolder, std::u16string_view deviceFamilyName);

// The path of an existing BSDL file for `sourcePath`: the path itself, else its copy in the
// temporary folder, else the copy unpacked there from the zipped copy beside the source. Empty
// when none exists, and when the path names no file.
std::u16string FindFullBSDLPath(std::u16string_view sourcePath);

}  // namespace s4
