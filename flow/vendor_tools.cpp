#include "flow/vendor_tools.h"

#include "host/host_utilities.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/widestring.h"

namespace s4 {

namespace {

using namespace s4::host;

constexpr std::u16string_view kVendors[] = {u"Altera", u"Xilinx", u"Actel", u"Lattice"};

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) s.remove_suffix(1);
  return s;
}

// The first line of a text file; raises when the file cannot be opened.
std::u16string FirstLine(const std::u16string& path) {
  auto bytes = ReadWholeFile(path);
  if (!bytes) throw VendorToolError("cannot open " + Utf16ToUtf8(path));
  const std::u16string text = Utf8ToUtf16(*bytes);
  const auto end = text.find_first_of(u"\r\n");
  return text.substr(0, end);
}

// Whether `version` is listed in a supported-version file of the System folder; raises when
// the list cannot be read.
bool ListedIn(std::u16string_view listName, std::u16string_view version) {
  const std::u16string path = SystemFolder() + std::u16string(listName);
  auto bytes = ReadWholeFile(path);
  if (!bytes) throw VendorToolError("cannot open " + Utf16ToUtf8(path));
  const std::u16string text = Utf8ToUtf16(*bytes);
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find(u'\n', pos);
    if (end == std::u16string::npos) end = text.size();
    if (EqualsIgnoreCase(TrimBlanks(std::u16string_view(text).substr(pos, end - pos)), version)) return true;
    pos = end + 1;
  }
  return false;
}

// The folder part without its trailing "\".
std::u16string ExtractFileDir(std::u16string_view path) {
  std::u16string dir = ExtractFilePath(path);
  if (!dir.empty() && dir.back() == u'\\' && !(dir.size() == 3 && dir[1] == u':')) dir.pop_back();
  return dir;
}

ToolVersion ManagerVersion(std::u16string_view vendor) {
  Object manager = VendorToolManager();
  if (!manager) return {};
  ToolVersion v;
  v.version = IDispVendorToolManager::GetVersion(manager, vendor).str();
  v.found = IDispVendorToolManager::GetVersionAcceptable(manager, vendor);
  return v;
}

bool ManagerPresent(std::u16string_view vendor) {
  Object manager = VendorToolManager();
  return manager && IDispVendorToolManager::GetToolsPresent(manager, vendor);
}

std::u16string ManagerDescriptor(std::u16string_view vendor) {
  Object manager = VendorToolManager();
  return manager ? IDispVendorToolManager::GetDescriptor(manager, vendor).str() : std::u16string();
}

std::u16string ManagerToolPath(std::u16string_view vendor, std::u16string_view tool) {
  Object manager = VendorToolManager();
  return manager ? IDispVendorToolManager::GetToolPath(manager, vendor, tool).str() : std::u16string();
}

}  // namespace

std::u16string_view VendorTableName(int index) {
  return index >= 0 && index < 4 ? kVendors[index] : std::u16string_view();
}

std::u16string VendorToolPath(std::u16string_view tool) { return ManagerToolPath(u"Altera", tool); }

ToolVersion QuartusVersion() {
  const std::u16string program = VendorToolPath(u"Quartus_Cmd");
  if (program.empty()) return {};
  // The readme lies in the parent of the program's folder: ...\quartus\bin\quartus_cmd.exe
  // has ...\quartus\readme.txt.
  const std::u16string readme = ExtractFilePath(ExtractFileDir(program)) + u"readme.txt";
  const std::u16string line = FirstLine(readme);
  std::size_t at = line.find(u"Version");
  if (at == std::u16string::npos) at = line.find(u"Release");
  if (at == std::u16string::npos) return {};
  std::u16string_view text = TrimBlanks(std::u16string_view(line).substr(at + 7));
  const auto blank = text.find(u' ');
  if (blank == std::u16string_view::npos) return {};
  text = text.substr(0, blank);
  if (!ListedIn(u"AlteraVersions.Txt", text)) return {};
  return {true, std::u16string(text)};
}

double VersionTextToNumber(std::u16string_view version) {
  double weight;
  const auto dot = version.find(u'.');
  if (dot == std::u16string_view::npos) {
    weight = 1;
    for (std::size_t i = 1; i < version.size(); ++i) weight *= 10;
  } else {
    // The first digit weighs 10 to the power (1-based position of the "." minus 2).
    const int exponent = static_cast<int>(dot) + 1 - 2;
    weight = 1;
    for (int i = 0; i < exponent; ++i) weight *= 10;
    for (int i = 0; i > exponent; --i) weight /= 10;
  }
  double n = 0;
  for (char16_t c : version) {
    if (c < u'0' || c > u'9') continue;
    n += (c - u'0') * weight;
    weight /= 10;
  }
  return n;
}

double QuartusVersionNumber() {
  const ToolVersion v = QuartusVersion();
  return v.found ? VersionTextToNumber(v.version) : 100000000.0;
}

std::u16string ActelAdmFolder() {
  const std::u16string designer = ManagerToolPath(u"Actel", u"Designer");
  if (designer.empty()) return {};
  const std::u16string folder = ExtractFileDir(designer) + u"\\..\\adm\\";
  return DirectoryExists(folder) ? folder : std::u16string();
}

ToolVersion ActelVersion() {
  const std::u16string adm = ActelAdmFolder();
  if (adm.empty()) return {};
  const std::u16string line(TrimBlanks(FirstLine(adm + u"verinfo")));
  if (line.empty() || !ListedIn(u"ACTELVersions.Txt", line)) return {};
  return {true, line};
}

ToolVersion XilinxVersion() { return ManagerVersion(u"Xilinx"); }
ToolVersion LatticeVersion() { return ManagerVersion(u"Lattice"); }

std::u16string VendorToolVersion(std::u16string_view vendorName) {
  if (vendorName == u"Xilinx") return XilinxVersion().version;
  if (vendorName == u"Altera") return QuartusVersion().version;
  if (vendorName == u"Lattice") return LatticeVersion().version;
  if (vendorName == u"Actel") return ActelVersion().version;
  return {};
}

bool VendorToolsPresentFor(std::u16string_view vendor) {
  if (EqualsIgnoreCase(vendor, u"Xilinx")) return ManagerPresent(u"Xilinx");
  if (EqualsIgnoreCase(vendor, u"Altera")) return !VendorToolPath(u"Quartus_Cmd").empty();
  if (EqualsIgnoreCase(vendor, u"Actel")) return !ManagerToolPath(u"Actel", u"designer").empty();
  if (EqualsIgnoreCase(vendor, u"Lattice")) return ManagerPresent(u"Lattice");
  return true;
}

bool VendorToolsUpToDateFor(std::u16string_view vendor) {
  if (EqualsIgnoreCase(vendor, u"Xilinx")) return XilinxVersion().found;
  if (EqualsIgnoreCase(vendor, u"Altera")) return QuartusVersion().found;
  if (EqualsIgnoreCase(vendor, u"Actel")) return ActelVersion().found;
  if (EqualsIgnoreCase(vendor, u"Lattice")) return LatticeVersion().found;
  return true;
}

std::u16string VendorToolsDescriptorFor(std::u16string_view vendor) {
  if (EqualsIgnoreCase(vendor, u"Xilinx")) return ManagerDescriptor(u"Xilinx");
  if (EqualsIgnoreCase(vendor, u"Altera")) return u"Altera Quartus II";
  if (EqualsIgnoreCase(vendor, u"Actel")) return u"ACTEL LiberoIDE";
  if (EqualsIgnoreCase(vendor, u"Lattice")) return ManagerDescriptor(u"Lattice");
  return {};
}

}  // namespace s4
