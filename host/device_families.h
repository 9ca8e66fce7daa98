// The device-family dictionary: family key -> vendor name and EDIF family name. It starts with
// the built-in rows and then takes "VireoConfig.ini" from each plug-in folder, later folders
// overriding earlier ones and the built-in rows. Keys compare exactly, letter case included.
// Filled once, at the first query, and kept for the module's life.
//
// "VireoConfig.ini":
//   [General]  DeviceFamily=<key>  DeviceVendor=<vendor>  EDIF=<EDIF name>   (all three needed)
//   [ClockCore] Cycles=<configuration clock cycles of that family>
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace s4 {

struct TDeviceFamilyInfo {
  std::u16string VendorName;
  std::u16string EDIF;
};

struct DeviceFamilyRow {
  std::u16string key;
  TDeviceFamilyInfo info;
  std::u16string origin;  // empty for a built-in row, else the "VireoConfig.ini" path it came from
};

// Fills the dictionary once.
void InitDeviceFamilies();
// The vendor recorded for a family key; empty when the key is not in the dictionary.
std::u16string VendorOfFamily(std::u16string_view familyKey);
// Every row in dictionary order (built-in order, then added keys in the order first seen).
std::vector<DeviceFamilyRow> DeviceFamilyRows();
// The number of built-in rows.
std::size_t BuiltInFamilyCount();

// The configuration clock cycles of a family: "ClockCore"/"Cycles" of the first plug-in
// folder whose "VireoConfig.ini" describes that family (ignoring case) with a value of 0 or
// more; -1 when none does. Read anew on every call. `origin` receives the file it came from.
std::int32_t ConfiguredClockCycles(std::u16string_view familyKey, std::u16string* origin = nullptr);

}  // namespace s4
