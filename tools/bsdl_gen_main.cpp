// s4_bsdlgen: turns the built-in BSDL sources into the module's compact record tables.
//
//   s4_bsdlgen SOURCE_DIR OUT.cpp
//
// Every source goes through the BSDL reader and validator that users' files go through; a
// syntax error, a validation finding or a difference from the facts fixed for the record
// stops the build with the file and line. Output is written to a temporary name and renamed.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "boundaryscan/builtin_records.h"
#include "boundaryscan/bsdl/flatten.h"
#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
#include "tools/bsdl_synth/records.h"

namespace fs = std::filesystem;
using namespace s4;

namespace {

class Pool {
 public:
  Pool() { Id(""); }
  std::uint16_t Id(const std::string& s) {
    auto [it, added] = index_.emplace(s, strings_.size());
    if (added) {
      strings_.push_back(s);
      if (strings_.size() > 65535) throw std::runtime_error("string pool overflow");
    }
    return static_cast<std::uint16_t>(it->second);
  }
  const std::vector<std::string>& strings() const { return strings_; }

 private:
  std::map<std::string, std::size_t> index_;
  std::vector<std::string> strings_;
};

// Cell shapes: what a cell has besides its port and pin, with its control and target cells
// relative to its own number, so that the many cells of one pattern share an entry.
class Shapes {
 public:
  std::uint16_t Id(const bsdl::FlatCell& c, const std::string& file) {
    const std::string key = std::to_string(Offset(c.number, c.control, file)) + "," +
                            std::to_string(Offset(c.number, c.target, file)) + "," + std::to_string(int(c.kind)) + "," +
                            std::to_string(int(c.function)) + "," + std::to_string(int(c.safe)) + "," +
                            std::to_string(int(c.disableValue)) + "," + std::to_string(int(c.disableResult));
    auto [it, added] = index_.emplace(key, entries_.size());
    if (added) {
      entries_.push_back(key);
      if (entries_.size() > 65535) throw std::runtime_error("more than 65535 cell shapes");
    }
    return static_cast<std::uint16_t>(it->second);
  }
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  static int Offset(int number, int other, const std::string& file) {
    if (other < 0) return builtin::kNoCell;
    const int offset = other - number;
    if (offset <= builtin::kNoCell || offset > INT16_MAX)
      throw std::runtime_error(file + ": cell " + std::to_string(number) + " refers to cell " + std::to_string(other) +
                               ", too far for a record");
    return offset;
  }
  std::map<std::string, std::size_t> index_;
  std::vector<std::string> entries_;
};

std::string CxxU16(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
      throw std::runtime_error("non-ASCII text in a built-in record: " + s);
    out += c;
  }
  return out;
}

void Check(bool ok, const std::string& file, const std::string& what) {
  if (!ok) throw std::runtime_error(file + ": " + what);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: s4_bsdlgen SOURCE_DIR OUT.cpp\n";
    return 2;
  }
  try {
    Pool pool;
    Shapes shapes;
    std::ostringstream arrays, records;
    std::map<std::string, std::string> pinArrays, cellArrays;  // content -> array name
    std::size_t pinBytes = 0, cellBytes = 0;
    int k = 0;
    for (const bsdl_synth::RecordFacts& facts : bsdl_synth::Records()) {
      const std::string file = (fs::path(argv[1]) / (std::string(facts.name) + ".bsd")).string();
      const bsdl::Description d = bsdl::ReadFile(file);
      const std::vector<bsdl::Finding> findings = bsdl::Validate(d);
      if (!findings.empty()) {
        for (const bsdl::Finding& f : findings) std::cerr << bsdl::Format(file, f) << "\n";
        return 1;
      }
      const bsdl::FlatEntity e = bsdl::Flatten(d);
      Check(e.name == facts.name, file, "entity name is not " + std::string(facts.name));
      Check(static_cast<int>(e.pins.size()) == facts.pins, file, "pin count differs from the record's");
      Check(e.boundaryLength == facts.cells && static_cast<int>(e.cells.size()) == facts.cells, file,
            "cell count differs from the record's");
      Check(e.tdi == facts.tdi && e.tdo == facts.tdo && e.tms == facts.tms && e.tck == facts.tck && e.trst == facts.trst,
            file, "TAP balls differ from the record's");

      std::ostringstream pins;
      for (const bsdl::FlatPin& p : e.pins) {
        Check(p.cells.size() <= 2, file, "pin " + p.number + " has more than two cells");
        pins << "{" << pool.Id(p.name) << "," << pool.Id(p.number) << "," << int(p.direction) << "," << int(p.kind) << ",{"
             << (p.cells.size() > 0 ? p.cells[0] : -1) << "," << (p.cells.size() > 1 ? p.cells[1] : -1) << "}},";
      }
      std::ostringstream cells;
      for (const bsdl::FlatCell& c : e.cells) {
        Check(c.number == static_cast<int>(&c - e.cells.data()), file, "cells are not numbered 0..n-1");
        cells << "{" << pool.Id(c.port) << "," << pool.Id(c.pinNumber) << "," << shapes.Id(c, file) << "},";
      }
      auto shared = [&](std::map<std::string, std::string>& seen, const std::string& content, const char* type,
                        const char* prefix, std::size_t count, std::size_t elementSize, std::size_t& bytes) {
        auto it = seen.find(content);
        if (it != seen.end()) return it->second;
        const std::string name = std::string(prefix) + std::to_string(k);
        arrays << "constexpr " << type << " " << name << "[] = {" << content << "};\n";
        bytes += count * elementSize;
        seen.emplace(content, name);
        return name;
      };
      const std::string pinArray = shared(pinArrays, pins.str(), "PinRecord", "kPins", e.pins.size(), sizeof(builtin::PinRecord), pinBytes);
      const std::string cellArray = shared(cellArrays, cells.str(), "CellRecord", "kCells", e.cells.size(), sizeof(builtin::CellRecord), cellBytes);
      arrays << "constexpr OpCodeRecord kOps" << k << "[] = {";
      for (const bsdl::FlatOpCode& o : e.opcodes) arrays << "{" << pool.Id(o.name) << "," << pool.Id(o.pattern) << "},";
      arrays << "};\nconstexpr RegisterRecord kRegs" << k << "[] = {";
      for (const bsdl::FlatRegister& r : e.registers) {
        Check(r.instructions.size() == 1, file, "register " + r.name + " must name exactly one instruction");
        arrays << "{" << pool.Id(r.name) << "," << r.length << "," << pool.Id(r.instructions[0]) << "},";
      }
      arrays << "};\n";
      char speed[64];
      std::snprintf(speed, sizeof speed, "%.17g", e.scanClockMaxSpeed);
      records << "    {" << pool.Id(e.name) << "," << pool.Id(std::string(facts.name) + ".bsd") << "," << pool.Id(e.conformance)
              << "," << pool.Id(e.compliancePattern) << "," << e.boundaryLength << "," << speed << "," << int(e.haltMode) << ","
              << e.instructionSample << "u," << pool.Id(e.tdi) << "," << pool.Id(e.tdo) << "," << pool.Id(e.tms) << ","
              << pool.Id(e.tck) << "," << pool.Id(e.trst) << "," << e.pins.size() << "," << e.cells.size() << ","
              << e.opcodes.size() << "," << e.registers.size() << "," << pinArray << "," << cellArray << ",kOps" << k
              << ",kRegs" << k << "},\n";
      ++k;
    }
    std::ostringstream out;
    out << "// Generated by s4_bsdlgen from boundaryscan/data/*.bsd (synthesized sources). Do not edit.\n"
        << "#include \"boundaryscan/builtin_records.h\"\n\nnamespace s4::builtin {\n\n"
        << "static_assert(kRecordSchema == " << builtin::kRecordSchema
        << ", \"generated for another record layout: rebuild s4_bsdlgen\");\n\nnamespace {\n\n"
        << "constexpr CellShape kShapes[] = {\n";
    for (const std::string& shape : shapes.entries()) out << "    {" << shape << "},\n";
    out << "};\n\n"
        << arrays.str() << "\nconstexpr BSDLRecord kRecords[] = {\n" << records.str() << "};\n\n"
        << "constexpr char16_t kPool[] =\n";
    std::vector<std::size_t> offsets;
    std::size_t at = 0, poolChars = 0;
    std::string line;
    for (const std::string& s : pool.strings()) {
      offsets.push_back(at);
      at += s.size();
      line += CxxU16(s);
      if (line.size() > 100) {
        out << "    u\"" << line << "\"\n";
        line.clear();
      }
    }
    offsets.push_back(at);
    poolChars = at;
    out << "    u\"" << line << "\";\n\nconstexpr std::uint32_t kOffsets[] = {";
    for (std::size_t i = 0; i < offsets.size(); ++i) out << (i % 16 ? "," : ",\n    ") << offsets[i];
    out << "};\n\n}  // namespace\n\n"
        << "std::span<const BSDLRecord> Records() { return kRecords; }\n\n"
        << "std::span<const CellShape> CellShapes() { return kShapes; }\n\n"
        << "std::u16string_view String(StringId id) {\n"
        << "  return std::u16string_view(kPool + kOffsets[id], kOffsets[id + 1] - kOffsets[id]);\n}\n\n"
        << "std::size_t StringCount() { return std::size(kOffsets) - 1; }\n\n"
        << "std::size_t StaticSize() {\n  return " << pinBytes << " + " << cellBytes
        << " + sizeof(kShapes) + sizeof(kRecords) + sizeof(kPool) + sizeof(kOffsets);  // pins + cells + ...\n}\n\n"
        << "}  // namespace s4::builtin\n";
    (void)poolChars;
    std::string text = out.str();
    // The offsets list starts with a stray comma from the loop above.
    const std::string bad = "kOffsets[] = {,";
    if (auto p = text.find(bad); p != std::string::npos) text.replace(p, bad.size(), "kOffsets[] = {");
    const std::string tmp = std::string(argv[2]) + ".tmp";
    std::ofstream(tmp, std::ios::binary) << text;
    fs::rename(tmp, argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "s4_bsdlgen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
