#include "host/device_families.h"

#include <map>
#include <memory>

#include "host/host_utilities.h"
#include "host/ini_file.h"
#include "platform/files.h"
#include "platform/widestring.h"

namespace s4 {

namespace {

constexpr std::u16string_view kConfigFile = u"VireoConfig.ini";

struct BuiltIn {
  const char16_t* vendor;
  const char16_t* key;
  const char16_t* edif;  // null: the key in upper case
};

// The built-in rows, in order.
constexpr BuiltIn kBuiltIn[] = {
    {u"Actel", u"ProASICPlus", nullptr}, {u"Actel", u"ProASIC3", nullptr}, {u"Actel", u"ProASIC3E", nullptr},
    {u"Actel", u"IGLOO", nullptr}, {u"Actel", u"IGLOOE", nullptr}, {u"Actel", u"IGLOOnano", u"IGLOOnano"},
    {u"Actel", u"IGLOOPLUS", nullptr}, {u"Actel", u"Fusion", nullptr}, {u"Actel", u"SmartFusion", nullptr},
    {u"Altera", u"MAX3000A", nullptr}, {u"Altera", u"MAX7000AE", nullptr}, {u"Altera", u"MAX7000B", nullptr},
    {u"Altera", u"MAX7000S", nullptr}, {u"Altera", u"MAX2", nullptr}, {u"Altera", u"MAX5", nullptr},
    {u"Altera", u"Cyclone", nullptr}, {u"Altera", u"Cyclone2", nullptr}, {u"Altera", u"Cyclone3", nullptr},
    {u"Altera", u"Cyclone4E", nullptr}, {u"Altera", u"Cyclone4GX", nullptr}, {u"Altera", u"Stratix", nullptr},
    {u"Altera", u"StratixGX", nullptr}, {u"Altera", u"Stratix2", nullptr}, {u"Altera", u"Stratix2GX", nullptr},
    {u"Altera", u"Stratix3", nullptr}, {u"Altera", u"Stratix4", nullptr}, {u"Altera", u"ArriaGX", nullptr},
    {u"Altera", u"Arria2GX", nullptr}, {u"Altera", u"Arria2GZ", nullptr},
    {u"Lattice", u"EC", nullptr}, {u"Lattice", u"ECP", nullptr}, {u"Lattice", u"ECP2", nullptr},
    {u"Lattice", u"ECP2M", nullptr}, {u"Lattice", u"XP", nullptr}, {u"Lattice", u"XP2", nullptr},
    {u"Lattice", u"MachXO", nullptr}, {u"Lattice", u"MachXO2", nullptr}, {u"Lattice", u"SC", nullptr},
    {u"Lattice", u"SCM", nullptr}, {u"Lattice", u"ispXPLD5000MX", nullptr},
    {u"Lattice", u"ispMACH4000B", u"ispMACH4000B"}, {u"Lattice", u"ispMACH4000C", u"ispMACH4000C"},
    {u"Lattice", u"ispMACH4000V", u"ispMACH4000V"}, {u"Lattice", u"ispMACH4000Z", u"ispMACH4000Z"},
    {u"Xilinx", u"XC9500", nullptr}, {u"Xilinx", u"XC9500XL", nullptr}, {u"Xilinx", u"XA9500XL", nullptr},
    {u"Xilinx", u"XC9500XV", nullptr}, {u"Xilinx", u"CoolRunner2", nullptr}, {u"Xilinx", u"XACoolRunner2", nullptr},
    {u"Xilinx", u"CoolRunnerXPLA3", nullptr}, {u"Xilinx", u"Spartan2", nullptr}, {u"Xilinx", u"Spartan2E", nullptr},
    {u"Xilinx", u"Spartan3", nullptr}, {u"Xilinx", u"Spartan3E", nullptr}, {u"Xilinx", u"XASpartan3E", nullptr},
    {u"Xilinx", u"Spartan3L", nullptr}, {u"Xilinx", u"Spartan3A", nullptr}, {u"Xilinx", u"XASpartan3A", nullptr},
    {u"Xilinx", u"Spartan3ADSP", nullptr}, {u"Xilinx", u"XASpartan3ADSP", nullptr},
    {u"Xilinx", u"Spartan3AN", nullptr}, {u"Xilinx", u"Spartan6", nullptr}, {u"Xilinx", u"Virtex", nullptr},
    {u"Xilinx", u"VirtexE", nullptr}, {u"Xilinx", u"Virtex2", nullptr}, {u"Xilinx", u"Virtex2P", nullptr},
    {u"Xilinx", u"Virtex4", nullptr}, {u"Xilinx", u"Virtex5", nullptr}, {u"Xilinx", u"Virtex6", nullptr},
    {u"Xilinx", u"XC17V00", u""}, {u"Xilinx", u"XC18V00", u""}, {u"Xilinx", u"XCF", u""},
    {u"Sharp", u"BLUESTREAK", u""}, {u"AMCC", u"PPC405", u""}, {u"TexasInstruments", u"Stellaris", u""},
    {u"STMicroelectronics", u"STM32", u""},
};
static_assert(std::size(kBuiltIn) == 77);

struct Dictionary {
  std::vector<DeviceFamilyRow> rows;
  std::map<std::u16string, std::size_t> index;  // exact key -> row

  void Put(std::u16string key, TDeviceFamilyInfo info, std::u16string origin) {
    auto it = index.find(key);
    if (it != index.end()) {
      rows[it->second].info = std::move(info);
      rows[it->second].origin = std::move(origin);
      return;
    }
    index.emplace(key, rows.size());
    rows.push_back({std::move(key), std::move(info), std::move(origin)});
  }
};

Dictionary* g_dictionary = nullptr;

Dictionary& Families() {
  InitDeviceFamilies();
  return *g_dictionary;
}

}  // namespace

void InitDeviceFamilies() {
  if (g_dictionary) return;
  auto dict = std::make_unique<Dictionary>();
  for (const BuiltIn& b : kBuiltIn)
    dict->Put(b.key, {b.vendor, b.edif ? std::u16string(b.edif) : host::UpperCase(b.key)}, {});
  host::ForEachPluginFolder([&](const std::u16string& folder) {
    const std::u16string path = folder + std::u16string(kConfigFile);
    if (!FileExists(path)) return true;
    const IniFile ini = IniFile::Load(path);
    std::u16string key = ini.ReadString(u"General", u"DeviceFamily", u"");
    std::u16string vendor = ini.ReadString(u"General", u"DeviceVendor", u"");
    std::u16string edif = ini.ReadString(u"General", u"EDIF", u"");
    if (!key.empty() && !vendor.empty() && !edif.empty()) dict->Put(std::move(key), {vendor, edif}, path);
    return true;
  });
  g_dictionary = dict.release();  // kept for the module's life
}

std::u16string VendorOfFamily(std::u16string_view familyKey) {
  Dictionary& d = Families();
  auto it = d.index.find(std::u16string(familyKey));
  return it == d.index.end() ? std::u16string() : d.rows[it->second].info.VendorName;
}

std::vector<DeviceFamilyRow> DeviceFamilyRows() { return Families().rows; }

std::size_t BuiltInFamilyCount() { return std::size(kBuiltIn); }

std::int32_t ConfiguredClockCycles(std::u16string_view familyKey, std::u16string* origin) {
  std::int32_t cycles = -1;
  host::ForEachPluginFolder([&](const std::u16string& folder) {
    const std::u16string path = folder + std::u16string(kConfigFile);
    if (!FileExists(path)) return true;
    const IniFile ini = IniFile::Load(path);
    if (!EqualsIgnoreCase(ini.ReadString(u"General", u"DeviceFamily", u""), familyKey)) return true;
    const std::int32_t v = ini.ReadInteger(u"ClockCore", u"Cycles", -1);
    if (v < 0) return true;
    cycles = v;
    if (origin) *origin = path;
    return false;
  });
  return cycles;
}

}  // namespace s4
