// The device tables of the family: enumerations, side tables, the 45 device packages with
// their resources and pin-set figures, and the 486 device kinds.
//
// The kinds are not typed out: kDeviceTable is computed at compile time from the 45-row
// kind-order table (device package + grade combinations) by the numbering rule in
// BuildDeviceTable(). Every query is one or two array indexings.
//
// Plain constexpr C++ without COM types, so that the build-machine tools in tools/ can use
// the same tables (pin-set figures, package geometry) as the module.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "devicedata/io_standard_table.h"

namespace s4 {

// ---- Enumerations --------------------------------------------------------------------------

#define S4_BASE_NAMES(X)                                                                        \
  X(EP4SGX70D, 72600, 488, 0x024200DD)                                                          \
  X(EP4SGX70H, 72600, 488, 0x024200DD)                                                          \
  X(EP4SGX110D, 105600, 488, 0x024000DD)                                                        \
  X(EP4SGX110F, 105600, 488, 0x024000DD)                                                        \
  X(EP4SGX110H, 105600, 488, 0x024000DD)                                                        \
  X(EP4SGX180D, 175750, 744, 0x024210DD)                                                        \
  X(EP4SGX180F, 175750, 744, 0x024210DD)                                                        \
  X(EP4SGX180H, 175750, 744, 0x024210DD)                                                        \
  X(EP4SGX180K, 175750, 744, 0x024210DD)                                                        \
  X(EP4SGX230D, 228000, 744, 0x024090DD)                                                        \
  X(EP4SGX230F, 228000, 744, 0x024090DD)                                                        \
  X(EP4SGX230H, 228000, 744, 0x024090DD)                                                        \
  X(EP4SGX230K, 228000, 744, 0x024090DD)                                                        \
  X(EP4SGX290F, 291200, 920, 0x024220DD)                                                        \
  X(EP4SGX290H, 291200, 920, 0x024220DD)                                                        \
  X(EP4SGX290K, 291200, 920, 0x024220DD)                                                        \
  X(EP4SGX290N, 291200, 920, 0x024430DD)                                                        \
  X(EP4SGX360F, 353600, 920, 0x024020DD)                                                        \
  X(EP4SGX360H, 353600, 920, 0x024020DD)                                                        \
  X(EP4SGX360K, 353600, 920, 0x024020DD)                                                        \
  X(EP4SGX360N, 353600, 920, 0x024830DD)                                                        \
  X(EP4SGX530H, 531200, 920, 0x024030DD)                                                        \
  X(EP4SGX530K, 531200, 920, 0x024030DD)                                                        \
  X(EP4SGX530N, 531200, 920, 0x024030DD)                                                        \
  X(EP4SE230, 228000, 488, 0x024110DD)                                                          \
  X(EP4SE360, 353600, 744, 0x024120DD)                                                          \
  X(EP4SE530, 531200, 976, 0x024130DD)                                                          \
  X(EP4SE820, 813050, 1120, 0x024040DD)                                                         \
  X(EP4S40G2, 228000, 654, 0x024410DD)                                                          \
  X(EP4S40G5, 531200, 654, 0x024230DD)                                                          \
  X(EP4S100G2, 228000, 654, 0x024410DD)                                                         \
  X(EP4S100G3, 291200, 781, 0x024A30DD)                                                         \
  X(EP4S100G4, 353600, 781, 0x024630DD)                                                         \
  X(EP4S100G5, 531200, 781, 0x024230DD)

enum TBaseNameId : std::uint32_t {
#define S4_X(name, gates, maxio, idcode) e##name,
  S4_BASE_NAMES(S4_X)
#undef S4_X
  kBaseNameCount
};

enum TPackage : std::uint32_t {
  ePackage_F29, ePackage_F35, ePackage_F40, ePackage_F43, ePackage_F45, ePackage_H29, ePackage_H35, ePackage_H40,
  kPackageCount
};
enum TPackageType : std::uint32_t { ePackageType_F, ePackageType_H, kPackageTypeCount };
enum TTemperatureGrade : std::uint32_t { eTemperatureGrade_C, eTemperatureGrade_I, kTemperatureGradeCount };
enum TSpeedGrade : std::uint32_t {
  eSpeedGrade_1, eSpeedGrade_2, eSpeedGrade_2x, eSpeedGrade_3, eSpeedGrade_4, kSpeedGradeCount
};
enum TOptionDesignator : std::uint32_t { eOptionDesignator_N, eOptionDesignator_None, kOptionDesignatorCount };

// The 45 device packages in resource-table order; the pin sets share these ordinals.
// X(base name + package id, base, package, DSP multipliers, clock managers, memory size,
//   termination, global clocks, configuration memory size,
//   PinCount, IOCount, DiffCount, HSpeedDiffCount, standards)
#define S4_STD_ALL ::s4::StandardSet::All()
#define S4_STD_NO_PCML ::s4::StandardSet::All().Without({sPCML25, sPCML15, sPCML14, sPCML12, sHCSL})
#define S4_STD_NO_18_1 ::s4::StandardSet::All().Without({sLVCMOS18_1, sLVTTL18_1})
#define S4_STD_NONE ::s4::StandardSet{}
#define S4_DEVICE_PACKAGES(X)                                                                            \
  X(EP4SGX70DF29, eEP4SGX70D, ePackage_F29, 384, 3, 7370, true, 12, 47833345, 780, 372, 185, 20, S4_STD_NO_PCML)       \
  X(EP4SGX70HF35, eEP4SGX70H, ePackage_F35, 384, 4, 7370, true, 16, 47833345, 1152, 488, 240, 48, S4_STD_NO_PCML)      \
  X(EP4SGX110DF29, eEP4SGX110D, ePackage_F29, 512, 3, 9564, true, 12, 47833345, 780, 372, 184, 20, S4_STD_NO_PCML)     \
  X(EP4SGX110FF35, eEP4SGX110F, ePackage_F35, 512, 4, 9564, true, 12, 47833345, 1152, 372, 184, 40, S4_STD_NO_PCML)    \
  X(EP4SGX110HF35, eEP4SGX110H, ePackage_F35, 512, 4, 9564, true, 16, 47833345, 1152, 488, 240, 48, S4_STD_NO_PCML)    \
  X(EP4SGX180DF29, eEP4SGX180D, ePackage_F29, 920, 3, 13627, true, 12, 94557465, 780, 380, 184, 16, S4_STD_NO_PCML)    \
  X(EP4SGX180FF35, eEP4SGX180F, ePackage_F35, 920, 6, 13627, true, 12, 94557465, 1152, 580, 280, 32, S4_STD_ALL)       \
  X(EP4SGX180HF35, eEP4SGX180H, ePackage_F35, 920, 6, 13627, true, 12, 94557465, 1152, 580, 280, 40, S4_STD_ALL)       \
  X(EP4SGX180KF40, eEP4SGX180K, ePackage_F40, 920, 8, 13627, true, 16, 94557465, 1517, 768, 368, 60, S4_STD_ALL)       \
  X(EP4SGX230DF29, eEP4SGX230D, ePackage_F29, 1288, 3, 17133, true, 12, 94557465, 780, 380, 184, 16, S4_STD_ALL)       \
  X(EP4SGX230FF35, eEP4SGX230F, ePackage_F35, 1288, 6, 17133, true, 12, 94557465, 1152, 580, 280, 32, S4_STD_ALL)      \
  X(EP4SGX230HF35, eEP4SGX230H, ePackage_F35, 1288, 6, 17133, true, 12, 94557465, 1152, 580, 280, 40, S4_STD_ALL)      \
  X(EP4SGX230KF40, eEP4SGX230K, ePackage_F40, 1288, 8, 17133, true, 16, 94557465, 1517, 768, 368, 60, S4_STD_NO_18_1)  \
  X(EP4SGX290FF35, eEP4SGX290F, ePackage_F35, 832, 6, 17248, true, 12, 128395577, 1152, 580, 280, 32, S4_STD_ALL)      \
  X(EP4SGX290FH29, eEP4SGX290F, ePackage_H29, 832, 4, 17248, true, 8, 128395577, 780, 318, 150, 32, S4_STD_ALL)        \
  X(EP4SGX290HF35, eEP4SGX290H, ePackage_F35, 832, 6, 17248, true, 12, 128395577, 1152, 580, 280, 40, S4_STD_ALL)      \
  X(EP4SGX290KF40, eEP4SGX290K, ePackage_F40, 832, 8, 17248, true, 16, 128395577, 1517, 768, 368, 60, S4_STD_ALL)      \
  X(EP4SGX290KF43, eEP4SGX290K, ePackage_F43, 832, 12, 17248, true, 16, 128395577, 1760, 904, 436, 60, S4_STD_ALL)     \
  X(EP4SGX290NF45, eEP4SGX290N, ePackage_F45, 832, 12, 17248, true, 16, 171722057, 1932, 952, 456, 80, S4_STD_ALL)     \
  X(EP4SGX360FF35, eEP4SGX360F, ePackage_F35, 1040, 6, 22564, true, 12, 128395577, 1152, 580, 280, 32, S4_STD_ALL)     \
  X(EP4SGX360FH29, eEP4SGX360F, ePackage_H29, 1040, 4, 22564, true, 8, 128395577, 780, 318, 150, 32, S4_STD_ALL)       \
  X(EP4SGX360HF35, eEP4SGX360H, ePackage_F35, 1040, 6, 22564, true, 12, 128395577, 1152, 580, 280, 40, S4_STD_ALL)     \
  X(EP4SGX360KF40, eEP4SGX360K, ePackage_F40, 1040, 8, 22564, true, 16, 128395577, 1517, 768, 368, 60, S4_STD_ALL)     \
  X(EP4SGX360KF43, eEP4SGX360K, ePackage_F43, 1040, 12, 22564, true, 16, 128395577, 1760, 904, 436, 60, S4_STD_ALL)    \
  X(EP4SGX360NF45, eEP4SGX360N, ePackage_F45, 1024, 12, 22564, true, 16, 171722057, 1932, 952, 456, 80, S4_STD_ALL)    \
  X(EP4SGX530HH35, eEP4SGX530H, ePackage_H35, 1024, 6, 27376, true, 12, 171722057, 1152, 580, 280, 40, S4_STD_ALL)     \
  X(EP4SGX530KF43, eEP4SGX530K, ePackage_F43, 1024, 12, 27376, true, 16, 171722057, 1760, 904, 436, 60, S4_STD_ALL)    \
  X(EP4SGX530KH40, eEP4SGX530K, ePackage_H40, 1024, 8, 27376, true, 16, 171722057, 1517, 768, 368, 60, S4_STD_ALL)     \
  X(EP4SGX530NF45, eEP4SGX530N, ePackage_F45, 1024, 12, 27376, true, 16, 171722057, 1932, 952, 456, 80, S4_STD_ALL)    \
  X(EP4SE230F29, eEP4SE230, ePackage_F29, 1288, 4, 17133, true, 16, 94557465, 780, 480, 244, 0, S4_STD_NONE)           \
  X(EP4SE360F35, eEP4SE360, ePackage_F35, 1040, 8, 22564, true, 16, 128395577, 1152, 736, 372, 0, S4_STD_NONE)         \
  X(EP4SE360H29, eEP4SE360, ePackage_H29, 1040, 4, 22564, true, 16, 128395577, 780, 480, 244, 0, S4_STD_NONE)          \
  X(EP4SE530F43, eEP4SE530, ePackage_F43, 1024, 12, 27376, true, 16, 171722057, 1760, 960, 484, 0, S4_STD_NONE)        \
  X(EP4SE530H35, eEP4SE530, ePackage_H35, 1024, 8, 27376, true, 16, 171722057, 1152, 736, 372, 0, S4_STD_NONE)         \
  X(EP4SE530H40, eEP4SE530, ePackage_H40, 1024, 12, 27376, true, 16, 171722057, 1517, 960, 484, 0, S4_STD_NONE)        \
  X(EP4SE820F43, eEP4SE820, ePackage_F43, 960, 12, 33294, true, 16, 241700000, 1760, 1104, 556, 0, S4_STD_NONE)        \
  X(EP4SE820H35, eEP4SE820, ePackage_H35, 960, 8, 33294, true, 16, 241700000, 1152, 736, 372, 0, S4_STD_NONE)          \
  X(EP4SE820H40, eEP4SE820, ePackage_H40, 960, 12, 33294, true, 16, 241700000, 1517, 960, 484, 0, S4_STD_NONE)         \
  X(EP4S40G2F40, eEP4S40G2, ePackage_F40, 1288, 8, 17133, true, 12, 94557465, 1517, 646, 411, 0, S4_STD_NONE)          \
  X(EP4S40G5H40, eEP4S40G5, ePackage_H40, 1024, 8, 27376, true, 12, 171722057, 1517, 646, 411, 0, S4_STD_NONE)         \
  X(EP4S100G2F40, eEP4S100G2, ePackage_F40, 1288, 8, 17133, true, 12, 94557465, 1517, 646, 411, 0, S4_STD_NONE)        \
  X(EP4S100G3F45, eEP4S100G3, ePackage_F45, 832, 12, 17248, true, 13, 171722057, 1932, 769, 498, 0, S4_STD_NONE)       \
  X(EP4S100G4F45, eEP4S100G4, ePackage_F45, 1024, 12, 22564, true, 13, 171722057, 1932, 769, 498, 0, S4_STD_NONE)      \
  X(EP4S100G5F45, eEP4S100G5, ePackage_F45, 1024, 12, 27376, true, 13, 171722057, 1932, 769, 498, 0, S4_STD_NONE)      \
  X(EP4S100G5H40, eEP4S100G5, ePackage_H40, 1024, 8, 27376, true, 12, 171722057, 1517, 646, 411, 0, S4_STD_NONE)

enum TDevicePackage : std::uint32_t {
#define S4_X(name, ...) eDP_##name,
  S4_DEVICE_PACKAGES(S4_X)
#undef S4_X
  kDevicePackageCount
};
enum TDevicePinSet : std::uint32_t {
#define S4_X(name, ...) ePinSet_##name,
  S4_DEVICE_PACKAGES(S4_X)
#undef S4_X
  kPinSetCount
};

// ---- Side tables ---------------------------------------------------------------------------

struct TBaseNameIdParameters {
  std::u16string_view Name;
  std::int32_t EquivalentGates;
  std::int32_t MaxIO;
  std::uint32_t IdCode;
};
inline constexpr std::array<TBaseNameIdParameters, kBaseNameCount> kBaseNames = {{
#define S4_X(name, gates, maxio, idcode) {u"" #name, gates, maxio, idcode},
    S4_BASE_NAMES(S4_X)
#undef S4_X
}};

struct TPackageParameters {
  std::u16string_view Id, Name, Description, Dimensions;
  std::int32_t GridSize;  // balls per side of the square grid (the four corners are empty)
};
inline constexpr std::array<TPackageParameters, kPackageCount> kPackages = {{
    {u"F29", u"FBGA780", u"780-Ball FineLine Ball Grid Array (FBGA780)", u"29 x 29 mm", 28},
    {u"F35", u"FBGA1152", u"1152-Ball FineLine Ball Grid Array (FBGA1152)", u"35 x 35 mm", 34},
    {u"F40", u"FBGA1517", u"1517-Ball FineLine Ball Grid Array (FBGA1517)", u"40 x 40 mm", 39},
    {u"F43", u"FBGA1760", u"1760-Ball FineLine Ball Grid Array (FBGA1760)", u"42.5 x 42.5 mm", 42},
    {u"F45", u"FBGA1932", u"1932-Ball FineLine Ball Grid Array (FBGA1932)", u"45 x 45 mm", 44},
    {u"H29", u"HBGA780", u"780-Ball Hybrid FineLine Ball Grid Array (HBGA780)", u"33 x 33 mm", 28},
    {u"H35", u"HBGA1152", u"1152-Ball Hybrid FineLine Ball Grid Array (HBGA1152)", u"42.5 x 42.5 mm", 34},
    {u"H40", u"HBGA1517", u"1517-Ball Hybrid FineLine Ball Grid Array (HBGA1517)", u"42.5 x 42.5 mm", 39},
}};

struct TIdNameDescription {
  std::u16string_view Id, Name, Description;
};
inline constexpr std::array<TIdNameDescription, kPackageTypeCount> kPackageTypes = {{
    {u"F", u"FBGA", u"FineLine Ball Grid Array (F)"},
    {u"H", u"HBGA", u"Hybrid FineLine Ball Grid Array (H)"},
}};
inline constexpr std::array<TIdNameDescription, kTemperatureGradeCount> kTemperatureGrades = {{
    {u"C", u"Commercial", u"Commercial Grade"},
    {u"I", u"Industrial", u"Industrial Grade"},
}};
inline constexpr std::array<TIdNameDescription, kSpeedGradeCount> kSpeedGrades = {{
    {u"1", u"1", u"Speed Grade 1 (Fastest)"},
    {u"2", u"2", u"Speed Grade 2"},
    {u"2x", u"2x", u"Speed Grade 2x"},
    {u"3", u"3", u"Speed Grade 3"},
    {u"4", u"4", u"Speed Grade 4 (Slowest)"},
}};
inline constexpr std::array<TIdNameDescription, kOptionDesignatorCount> kOptionDesignators = {{
    {u"N", u"N", u"Pb-Free"},
    {u"None", u"Standard", u"Standard Configuration"},
}};

// One device package: its base device and package, its resources, and the figures of its pin
// set (the pin data files must agree with them; see tools/pindata).
struct TDevicePackageParameters {
  std::u16string_view Name;  // base name + package id, e.g. "EP4SGX70DF29"
  TBaseNameId BaseName;
  TPackage Package;
  std::int32_t DSPMultiplierCount;
  std::int32_t ClockManagerCount;
  std::int32_t MemorySize;
  bool TerminationSupport;
  std::int32_t GlobalClockCount;
  std::int32_t ConfigMemorySize;
  std::int32_t PinCount;
  std::int32_t IOCount;
  std::int32_t DiffCount;
  std::int32_t HSpeedDiffCount;
  StandardSet Standards;
};
inline constexpr std::array<TDevicePackageParameters, kDevicePackageCount> kDevicePackages = {{
#define S4_X(name, base, pkg, dsp, clk, mem, term, gclk, cfg, pins, io, diff, hs, stds) \
  {u"" #name, base, pkg, dsp, clk, mem, term, gclk, cfg, pins, io, diff, hs, stds},
    S4_DEVICE_PACKAGES(S4_X)
#undef S4_X
}};

// ---- Device kinds --------------------------------------------------------------------------

// The grade combinations a device package is offered in, in kind order.
struct GradeCombination {
  TTemperatureGrade Temperature;
  TSpeedGrade Speed;
};
enum class GradeList : std::uint8_t { C2x_I4, C2_I4, C3_I4, I1_I3 };
constexpr std::span<const GradeCombination> GradeCombinations(GradeList list);

// The 45 rows of the kind order: device package and grade list. The rows fall into three
// groups (EP4SGX, EP4SE, EP4S40G/EP4S100G); each group is numbered first with option
// designator None and then again with N.
struct KindOrderRow {
  TDevicePackage DevicePackage;
  GradeList Grades;
};
inline constexpr std::array<KindOrderRow, 45> kKindOrder = {{
    {eDP_EP4SGX70DF29, GradeList::C2x_I4},  {eDP_EP4SGX70HF35, GradeList::C2_I4},
    {eDP_EP4SGX110DF29, GradeList::C2x_I4}, {eDP_EP4SGX110FF35, GradeList::C2x_I4},
    {eDP_EP4SGX110HF35, GradeList::C2_I4},  {eDP_EP4SGX180DF29, GradeList::C2x_I4},
    {eDP_EP4SGX180FF35, GradeList::C2x_I4}, {eDP_EP4SGX180HF35, GradeList::C2_I4},
    {eDP_EP4SGX180KF40, GradeList::C2_I4},  {eDP_EP4SGX230DF29, GradeList::C2x_I4},
    {eDP_EP4SGX230FF35, GradeList::C2x_I4}, {eDP_EP4SGX230HF35, GradeList::C2_I4},
    {eDP_EP4SGX230KF40, GradeList::C2_I4},  {eDP_EP4SGX290FH29, GradeList::C2x_I4},
    {eDP_EP4SGX290FF35, GradeList::C2x_I4}, {eDP_EP4SGX290HF35, GradeList::C2_I4},
    {eDP_EP4SGX290KF40, GradeList::C2_I4},  {eDP_EP4SGX290KF43, GradeList::C2_I4},
    {eDP_EP4SGX290NF45, GradeList::C2_I4},  {eDP_EP4SGX360FH29, GradeList::C2x_I4},
    {eDP_EP4SGX360FF35, GradeList::C2x_I4}, {eDP_EP4SGX360HF35, GradeList::C2_I4},
    {eDP_EP4SGX360KF40, GradeList::C2_I4},  {eDP_EP4SGX360KF43, GradeList::C2_I4},
    {eDP_EP4SGX360NF45, GradeList::C2_I4},  {eDP_EP4SGX530HH35, GradeList::C2_I4},
    {eDP_EP4SGX530KH40, GradeList::C2_I4},  {eDP_EP4SGX530KF43, GradeList::C2_I4},
    {eDP_EP4SGX530NF45, GradeList::C2_I4},  // end of the EP4SGX group (29 rows)
    {eDP_EP4SE230F29, GradeList::C2_I4},    {eDP_EP4SE360H29, GradeList::C2_I4},
    {eDP_EP4SE360F35, GradeList::C2_I4},    {eDP_EP4SE530H35, GradeList::C2_I4},
    {eDP_EP4SE530H40, GradeList::C2_I4},    {eDP_EP4SE530F43, GradeList::C2_I4},
    {eDP_EP4SE820H35, GradeList::C3_I4},    {eDP_EP4SE820H40, GradeList::C3_I4},
    {eDP_EP4SE820F43, GradeList::C3_I4},  // end of the EP4SE group (9 rows)
    {eDP_EP4S40G2F40, GradeList::I1_I3},    {eDP_EP4S40G5H40, GradeList::I1_I3},
    {eDP_EP4S100G2F40, GradeList::I1_I3},   {eDP_EP4S100G3F45, GradeList::I1_I3},
    {eDP_EP4S100G4F45, GradeList::I1_I3},   {eDP_EP4S100G5H40, GradeList::I1_I3},
    {eDP_EP4S100G5F45, GradeList::I1_I3},
}};
// Row index where each numbering group starts, and the end.
inline constexpr std::array<std::size_t, 4> kKindOrderGroups = {0, 29, 38, 45};

inline constexpr std::int32_t kDeviceKindTableSize = 486;
inline constexpr std::size_t kMaxFullNameLength = 20;

// One device kind. Strings that depend only on the device package (BSDL file name) and the
// side-table fields are reached through the enumerations.
struct TDeviceParameters {
  std::int32_t Kind;
  char16_t FullNameBuffer[kMaxFullNameLength];
  std::uint8_t FullNameLength;
  TBaseNameId BaseName;
  TPackage Package;
  TPackageType PackageType;
  TTemperatureGrade TemperatureGrade;
  TSpeedGrade SpeedGrade;
  TOptionDesignator OptionDesignator;
  TDevicePinSet PinSet;
  std::int32_t InstructionLength;
  TDevicePackage DevicePackage;

  constexpr std::u16string_view FullName() const { return {FullNameBuffer, FullNameLength}; }
  constexpr std::uint32_t IdCode() const { return kBaseNames[BaseName].IdCode; }
};

// ---- Definitions ---------------------------------------------------------------------------

namespace detail {
inline constexpr GradeCombination kGradesC2x[] = {
    {eTemperatureGrade_C, eSpeedGrade_2x}, {eTemperatureGrade_I, eSpeedGrade_2x},
    {eTemperatureGrade_C, eSpeedGrade_3},  {eTemperatureGrade_I, eSpeedGrade_3},
    {eTemperatureGrade_C, eSpeedGrade_4},  {eTemperatureGrade_I, eSpeedGrade_4}};
inline constexpr GradeCombination kGradesC2[] = {
    {eTemperatureGrade_C, eSpeedGrade_2}, {eTemperatureGrade_I, eSpeedGrade_2},
    {eTemperatureGrade_C, eSpeedGrade_3}, {eTemperatureGrade_I, eSpeedGrade_3},
    {eTemperatureGrade_C, eSpeedGrade_4}, {eTemperatureGrade_I, eSpeedGrade_4}};
inline constexpr GradeCombination kGradesC3[] = {
    {eTemperatureGrade_C, eSpeedGrade_3}, {eTemperatureGrade_I, eSpeedGrade_3},
    {eTemperatureGrade_C, eSpeedGrade_4}, {eTemperatureGrade_I, eSpeedGrade_4}};
inline constexpr GradeCombination kGradesI1[] = {
    {eTemperatureGrade_I, eSpeedGrade_1}, {eTemperatureGrade_I, eSpeedGrade_2},
    {eTemperatureGrade_I, eSpeedGrade_3}};

constexpr void Append(TDeviceParameters& row, std::u16string_view s) {
  for (char16_t c : s) row.FullNameBuffer[row.FullNameLength++] = c;
}
}  // namespace detail

constexpr std::span<const GradeCombination> GradeCombinations(GradeList list) {
  switch (list) {
    case GradeList::C2x_I4: return detail::kGradesC2x;
    case GradeList::C2_I4: return detail::kGradesC2;
    case GradeList::C3_I4: return detail::kGradesC3;
    case GradeList::I1_I3: return detail::kGradesI1;
  }
  return {};
}

constexpr TPackageType PackageTypeOf(TPackage p) {
  return kPackages[p].Id[0] == u'F' ? ePackageType_F : ePackageType_H;
}

// Numbers the kinds: for each group of rows, every row's grade combinations with option
// designator None, then the same rows and combinations with N.
constexpr std::array<TDeviceParameters, kDeviceKindTableSize> BuildDeviceTable() {
  std::array<TDeviceParameters, kDeviceKindTableSize> table{};
  std::int32_t kind = 0;
  for (std::size_t g = 0; g + 1 < kKindOrderGroups.size(); ++g) {
    for (TOptionDesignator option : {eOptionDesignator_None, eOptionDesignator_N}) {
      for (std::size_t r = kKindOrderGroups[g]; r < kKindOrderGroups[g + 1]; ++r) {
        const KindOrderRow& order = kKindOrder[r];
        const TDevicePackageParameters& dp = kDevicePackages[order.DevicePackage];
        for (const GradeCombination& grades : GradeCombinations(order.Grades)) {
          TDeviceParameters& row = table[static_cast<std::size_t>(kind)];
          row.Kind = kind;
          row.BaseName = dp.BaseName;
          row.Package = dp.Package;
          row.PackageType = PackageTypeOf(dp.Package);
          row.TemperatureGrade = grades.Temperature;
          row.SpeedGrade = grades.Speed;
          row.OptionDesignator = option;
          row.PinSet = static_cast<TDevicePinSet>(order.DevicePackage);
          row.InstructionLength = 10;
          row.DevicePackage = order.DevicePackage;
          detail::Append(row, kBaseNames[dp.BaseName].Name);
          detail::Append(row, kPackages[dp.Package].Id);
          detail::Append(row, kTemperatureGrades[grades.Temperature].Id);
          detail::Append(row, kSpeedGrades[grades.Speed].Id);
          if (option == eOptionDesignator_N) detail::Append(row, u"N");
          ++kind;
        }
      }
    }
  }
  // A kind count other than the table size fails the constant evaluation.
  if (kind != kDeviceKindTableSize) throw "the kind-order table does not number 486 kinds";
  return table;
}

inline constexpr std::array<TDeviceParameters, kDeviceKindTableSize> kDeviceTable = BuildDeviceTable();

// The boundary-scan file name of a device package: its name + ".bsd".
inline std::u16string BSDLFileName(TDevicePackage dp) { return std::u16string(kDevicePackages[dp].Name) + u".bsd"; }

}  // namespace s4
