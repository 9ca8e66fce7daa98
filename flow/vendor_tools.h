// Vendor tool discovery: where the vendor's command-line tools are, which version of the
// vendor software is installed and whether that version is supported. The answers come from
// the host's vendor-tool manager (the "FPGAFlow" server module, operation 509009), from version
// files of the vendor installations, and from the lists of supported versions in the host's
// System folder ("AlteraVersions.Txt", "ACTELVersions.Txt", one version per line). Nothing is
// cached: every question asks the host and reads the files again.
//
// Without the FPGA-flow module or its manager, paths and versions are empty and presence is
// false; no error. A readme or "verinfo" file that should be there but cannot be read, and a
// missing list of supported versions once a version text was read, raise VendorToolError.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace s4 {

struct VendorToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The vendor table, by index: 0 "Altera", 1 "Xilinx", 2 "Actel", 3 "Lattice".
std::u16string_view VendorTableName(int index);

struct ToolVersion {
  bool found = false;
  std::u16string version;  // empty unless found
};

// The program of a Quartus tool ("Quartus_sh", "Quartus_Map", ..., "Quartus_Cmd"); empty when
// the host does not know it or has no vendor-tool manager.
std::u16string VendorToolPath(std::u16string_view tool);
ToolVersion QuartusVersion();
// The version as a number (9.1, 10, 11.01 for "11.0sp1"); 100000000 when no version is found,
// so that an unknown version counts as newer than every real one.
double QuartusVersionNumber();
double VersionTextToNumber(std::u16string_view version);
std::u16string ActelAdmFolder();
ToolVersion ActelVersion();
ToolVersion XilinxVersion();
ToolVersion LatticeVersion();
// The version text for "Xilinx", "Altera", "Lattice" or "Actel" written exactly so; else empty.
std::u16string VendorToolVersion(std::u16string_view vendorName);

// The driver's questions, by vendor name compared ignoring case. Any other vendor: present,
// up to date, empty descriptor.
bool VendorToolsPresentFor(std::u16string_view vendorName);
bool VendorToolsUpToDateFor(std::u16string_view vendorName);
std::u16string VendorToolsDescriptorFor(std::u16string_view vendorName);

}  // namespace s4
