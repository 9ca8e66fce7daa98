// s4_pingen: turns the 45 pin data files into the module's compact constant tables.
//
//   s4_pingen OUTDIR DATADIR [BSDLDIR]
//
// Reads DATADIR/<device package>.pins.tsv for every device package, refuses to generate
// anything when a file breaks a rule (the same checks as s4_pincheck), and writes
//   OUTDIR/pin_tables.cpp      the tables declared in devicedata/pin_tables.h
//   OUTDIR/pin_provenance.inc  S4_PIN_PROVENANCE("set", "provenance") lines for s4host, and
//                              S4_BSDL_PROVENANCE("set", "synthesized" or "vendor") lines
//                              for the boundary-scan source BSDLDIR/<set>.bsd ("unknown"
//                              without BSDLDIR)
//   OUTDIR/device_kinds.h      the TDeviceKind enumeration, named from the device table
// Each output is written to a temporary name and renamed.
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/bsdl_synth/records.h"
#include "tools/pindata/text_file.h"
#include "tools/pindata/validator.h"

using namespace s4;
using namespace s4::pindata;

namespace {

class Interner {
 public:
  std::uint16_t Add(const std::string& s) {
    auto [it, added] = index_.emplace(s, static_cast<std::uint16_t>(strings_.size()));
    if (added) {
      if (strings_.size() >= 0xFFFF) throw std::runtime_error("more than 65535 distinct pin strings");
      strings_.push_back(s);
    }
    return it->second;
  }
  const std::vector<std::string>& strings() const { return strings_; }

 private:
  std::map<std::string, std::uint16_t> index_;
  std::vector<std::string> strings_;
};

std::string Hex64(std::uint64_t v) {
  static const char* digits = "0123456789ABCDEF";
  std::string s = "0x";
  for (int i = 15; i >= 0; --i) s += digits[(v >> (i * 4)) & 0xF];
  return s + "ull";
}

std::string Quoted(const std::string& s) {
  std::string q = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') q += '\\';
    q += c;
  }
  return q + "\"";
}

std::string SetLiteral(const StandardSet& s) {
  return "{" + Hex64(s.lo) + ", " + std::to_string(s.hi) + "}";
}

bool Write(const std::string& path, const std::string& text) {
  std::string error;
  if (!WriteTextFileAtomically(path, text, error)) {
    std::cerr << "s4_pingen: " << error << "\n";
    return false;
  }
  return true;
}

}  // namespace

int Generate(const std::string& outDir, const std::string& dataDir, const std::string& bsdlDir);

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::cerr << "usage: s4_pingen OUTDIR DATADIR [BSDLDIR]\n";
    return 2;
  }
  try {
    return Generate(argv[1], argv[2], argc == 4 ? argv[3] : "");
  } catch (const std::exception& e) {
    std::cerr << "s4_pingen: " << e.what() << "\n";
    return 1;
  }
}

int Generate(const std::string& outDir, const std::string& dataDir, const std::string& bsdlDir) {
  if (outDir.empty()) {
    std::cerr << "usage: s4_pingen OUTDIR DATADIR [BSDLDIR]\n";
    return 2;
  }
  std::vector<PinFile> files;
  bool bad = false;
  for (const auto& dp : kDevicePackages) {
    const std::string path = dataDir + "/" + std::string(dp.Name.begin(), dp.Name.end()) + ".pins.tsv";
    auto text = ReadTextFile(path);
    if (!text) {
      std::cerr << "s4_pingen: cannot read " << path << "\n";
      return 3;
    }
    std::vector<Diagnostic> problems;
    PinFile file = ParsePinFile(*text, path, problems);
    if (problems.empty()) problems = Validate(file, path);
    if (file.PinSet != std::string(dp.Name.begin(), dp.Name.end()))
      problems.push_back({path, 2, "", "header", "pin-set '" + file.PinSet + "' does not match the file name"});
    for (const auto& d : problems) std::cerr << d.ToString() << "\n";
    bad |= !problems.empty();
    files.push_back(std::move(file));
  }
  if (bad) {
    std::cerr << "s4_pingen: pin data files break the rules above; nothing generated\n";
    return 1;
  }

  Interner strings;
  strings.Add("");  // index 0: empty text
  std::map<std::pair<std::uint64_t, int>, std::uint16_t> setIndex;
  std::vector<StandardSet> sets;
  auto internSet = [&](const StandardSet& s) {
    auto [it, added] = setIndex.emplace(std::make_pair(s.lo, int(s.hi)), static_cast<std::uint16_t>(sets.size()));
    if (added) sets.push_back(s);
    return it->second;
  };
  std::string pins = "extern const PinRecord kPins[] = {\n";
  std::string table = "extern const PinSetTable kPinSets[kPinSetCount] = {\n";
  std::uint32_t first = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const PinFile& f = files[i];
    const TDevicePackageParameters& dp = kDevicePackages[i];
    const char* provenance = f.Provenance == "synthesized"     ? "Provenance::Synthesized"
                             : f.Provenance == "vendor-import" ? "Provenance::VendorImport"
                                                               : "Provenance::Other";
    table += "    {" + std::to_string(dp.PinCount) + ", " + std::to_string(dp.IOCount) + ", " +
             std::to_string(dp.DiffCount) + ", " + std::to_string(dp.HSpeedDiffCount) + ", " +
             SetLiteral(dp.Standards) + ", " + std::to_string(first) + ", " + provenance + "},  // " + f.PinSet + "\n";
    pins += "    // " + f.PinSet + "\n";
    for (const Pin& p : f.Pins) {
      pins += "    {" + std::to_string(strings.Add(p.PinNumber)) + ", " + std::to_string(strings.Add(p.Bank)) + ", " +
              std::to_string(strings.Add(p.DiffId)) + ", " + std::to_string(strings.Add(p.ClkDiffId)) + ", " +
              std::to_string(p.Options) + ", " + std::to_string(internSet(p.Standards)) + "},\n";
    }
    first += static_cast<std::uint32_t>(f.Pins.size());
  }
  pins += "};\n";
  table += "};\n";

  std::string pool = "extern const char16_t kStringPool[] = u\"";
  std::string refs = "extern const StringRef kStrings[] = {\n";
  std::size_t offset = 0;
  for (const std::string& s : strings.strings()) {
    for (char c : s) {
      if (c == '"' || c == '\\') pool += '\\';
      pool += c;
    }
    refs += "    {" + std::to_string(offset) + ", " + std::to_string(s.size()) + "},\n";
    offset += s.size();
  }
  if (offset > 0xFFFF) {
    std::cerr << "s4_pingen: the string pool exceeds 65535 code units\n";
    return 1;
  }
  pool += "\";\n";
  refs += "};\n";
  std::string setText = "extern const StandardSet kStandardSets[] = {\n";
  for (const StandardSet& s : sets) setText += "    " + SetLiteral(s) + ",\n";
  setText += "};\n";

  std::string cpp =
      "// Generated by s4_pingen from devicedata/data/*.pins.tsv. Do not edit.\n"
      "#include \"devicedata/pin_tables.h\"\n\n"
      "static_assert(s4::pintables::kSchemaVersion == 1,\n"
      "              \"pin_tables.h changed its layout: rebuild s4_pingen and regenerate the tables\");\n\n"
      "namespace s4::pintables {\n\n" +
      pool + refs + setText + pins + table +
      "extern const std::size_t kStringPoolSize = " + std::to_string(offset) + ";\n" +
      "extern const std::size_t kStringCount = " + std::to_string(strings.strings().size()) + ";\n" +
      "extern const std::size_t kStandardSetCount = " + std::to_string(sets.size()) + ";\n" +
      "extern const std::size_t kPinCount = " + std::to_string(first) + ";\n\n" +
      "std::size_t TableBytes() {\n"
      "  return sizeof(char16_t) * (kStringPoolSize + 1) + sizeof(StringRef) * kStringCount +\n"
      "         sizeof(StandardSet) * kStandardSetCount + sizeof(PinRecord) * kPinCount + sizeof(kPinSets);\n"
      "}\n\n"
      "}  // namespace s4::pintables\n";

  std::string inc = "// Generated by s4_pingen: where each pin set's data came from.\n";
  for (const PinFile& f : files) inc += "S4_PIN_PROVENANCE(" + Quoted(f.PinSet) + ", " + Quoted(f.Provenance) + ")\n";
  for (const PinFile& f : files) {
    std::string bsdl = "unknown";
    if (!bsdlDir.empty()) {
      const std::string path = bsdlDir + "/" + f.PinSet + ".bsd";
      auto text = ReadTextFile(path);
      if (!text) {
        std::cerr << "s4_pingen: cannot read " << path << "\n";
        return 3;
      }
      bsdl = bsdl_synth::BsdlSourceProvenance(*text);
    }
    inc += "S4_BSDL_PROVENANCE(" + Quoted(f.PinSet) + ", " + Quoted(bsdl) + ")\n";
  }

  // The kinds are named "e" + full name, in the order the device table numbers them.
  std::string kinds =
      "// Generated by s4_pingen from the kind-order table of devicedata/device_tables.h. Do not edit.\n"
      "#pragma once\n\n#include <cstdint>\n\nnamespace s4 {\n\nenum TDeviceKind : std::uint32_t {\n";
  for (const auto& row : kDeviceTable) {
    const std::u16string_view name = row.FullName();
    kinds += "  e" + std::string(name.begin(), name.end()) + " = " + std::to_string(row.Kind) + ",\n";
  }
  kinds += "};\n\n}  // namespace s4\n";

  if (!Write(outDir + "/pin_tables.cpp", cpp) || !Write(outDir + "/pin_provenance.inc", inc) ||
      !Write(outDir + "/device_kinds.h", kinds))
    return 3;
  return 0;
}
