// The 65 I/O standards of the family and sets of them.
//
// This header is plain constexpr C++ without any COM dependency: the module uses it, and so
// do the pin-data tools in tools/, which are built for the build machine.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace s4 {

// X(ordinal, identifier, host kind code, drive-strength bits)
#define S4_IO_STANDARDS(X)              \
  X(0, sSSTL2I_2, 16, 0x0200)           \
  X(1, sSSTL2I_1, 16, 0x00A0)           \
  X(2, sSSTL2II, 17, 0x00E0)            \
  X(3, sSSTL18II, 19, 0x0220)           \
  X(4, sSSTL18I, 18, 0x00EC)            \
  X(5, sSSTL15I_2, 130, 0x0220)         \
  X(6, sSSTL15I_1, 130, 0x00EC)         \
  X(7, sSSTL15II, 131, 0x002C)          \
  X(8, sRSDS25_E_3R, 138, 0)            \
  X(9, sRSDS25_E_1R, 137, 0)            \
  X(10, sRSDS25, 79, 0)                 \
  X(11, sPCML25, 164, 0)                \
  X(12, sPCML15, 54, 0)                 \
  X(13, sPCML14, 169, 0)                \
  X(14, sPCML12, 101, 0)                \
  X(15, sPCIX_3, 12, 0)                 \
  X(16, sPCI33_30, 126, 0)              \
  X(17, sMiniLVDS25_E_3R, 136, 0)       \
  X(18, sMiniLVDS25_E_1R, 135, 0)       \
  X(19, sMiniLVDS25, 93, 0)             \
  X(20, sLVTTL33_2, 3, 0x02A4)          \
  X(21, sLVTTL33_1, 3, 0x00A4)          \
  X(22, sLVPECL, 70, 0)                 \
  X(23, sLVDS_E_3R, 140, 0)             \
  X(24, sLVDS_E_1R, 139, 0)             \
  X(25, sLVDS, 69, 0)                   \
  X(26, sLVCMOS33_2, 7, 0x02A4)         \
  X(27, sLVCMOS33_1, 7, 0x0024)         \
  X(28, sLVCMOS25_2, 6, 0x02A4)         \
  X(29, sLVCMOS25_1, 6, 0x00A4)         \
  X(30, sLVCMOS18_2, 5, 0x00ED)         \
  X(31, sLVCMOS18_1, 5, 0x002D)         \
  X(32, sLVTTL25_2, 2, 0x02A4)          \
  X(33, sLVTTL25_1, 2, 0x00A4)          \
  X(34, sLVTTL18_2, 1, 0x00ED)          \
  X(35, sLVTTL18_1, 1, 0x002D)          \
  X(36, sLVCMOS15_2, 4, 0x00ED)         \
  X(37, sLVCMOS15_1, 4, 0x002D)         \
  X(38, sLVCMOS12_2, 35, 0x002D)        \
  X(39, sLVCMOS12_1, 35, 0x0005)        \
  X(40, sHSTL_12_2, 26, 0x00EC)         \
  X(41, sHSTL_12_1, 26, 0x002C)         \
  X(42, sHSTLI_2, 22, 0x00EC)           \
  X(43, sHSTLI_1, 22, 0x0200)           \
  X(44, sHSTLI_18, 27, 0x0200)          \
  X(45, sHSTLII_18, 28, 0x0200)         \
  X(46, sHSTLII_12, 125, 0x00EC)        \
  X(47, sHSTLII, 23, 0x002C)            \
  X(48, sHCSL, 163, 0)                  \
  X(49, sDSSTL2I_2, 73, 0x0220)         \
  X(50, sDSSTL2I_1, 73, 0x00A0)         \
  X(51, sDSSTL2II, 74, 0x00E0)          \
  X(52, sDSSTL25II, 166, 0x0200)        \
  X(53, sDSSTL18II, 72, 0x0220)         \
  X(54, sDSSTL18I, 71, 0x00EC)          \
  X(55, sDSSTL15I_2, 133, 0x0200)       \
  X(56, sDSSTL15I_1, 133, 0x00EC)       \
  X(57, sDSSTL15II, 134, 0x002C)        \
  X(58, sDSSTL12II, 162, 0x0200)        \
  X(59, sDHSTLI_2, 46, 0x00EC)          \
  X(60, sDHSTLI_1, 46, 0x002C)          \
  X(61, sDHSTLII_2, 47, 0x00EC)         \
  X(62, sDHSTLII_1, 47, 0x002C)         \
  X(63, sDHSTL18II, 50, 0x0200)         \
  X(64, sDHSTL18I, 49, 0x00EC)

enum TDeviceIOStandardID : std::uint32_t {
#define S4_X(ord, id, kind, drive) id = ord,
  S4_IO_STANDARDS(S4_X)
#undef S4_X
};
inline constexpr std::uint32_t kIOStandardCount = 65;

// A set of standards: bit j stands for ordinal j (64 bits plus one).
struct StandardSet {
  std::uint64_t lo = 0;
  std::uint8_t hi = 0;  // bit 0: ordinal 64

  static constexpr StandardSet All() { return StandardSet{~std::uint64_t{0}, 1}; }
  constexpr bool Has(std::uint32_t ord) const {
    return ord < 64 ? ((lo >> ord) & 1) != 0 : ord == 64 && (hi & 1) != 0;
  }
  constexpr StandardSet& Add(std::uint32_t ord) {
    if (ord < 64) lo |= std::uint64_t{1} << ord;
    else if (ord == 64) hi |= 1;
    return *this;
  }
  constexpr StandardSet Without(std::initializer_list<std::uint32_t> ords) const {
    StandardSet s = *this;
    for (std::uint32_t o : ords) {
      if (o < 64) s.lo &= ~(std::uint64_t{1} << o);
      else if (o == 64) s.hi = 0;
    }
    return s;
  }
  constexpr StandardSet operator|(StandardSet o) const {
    return StandardSet{lo | o.lo, static_cast<std::uint8_t>(hi | o.hi)};
  }
  constexpr StandardSet operator&(StandardSet o) const {
    return StandardSet{lo & o.lo, static_cast<std::uint8_t>(hi & o.hi)};
  }
  constexpr bool operator==(const StandardSet&) const = default;
  constexpr std::int32_t Count() const {
    std::int32_t n = hi & 1;
    for (std::uint64_t v = lo; v; v &= v - 1) ++n;
    return n;
  }
  constexpr bool Empty() const { return lo == 0 && (hi & 1) == 0; }
  // The ordinal of the (index+1)-th member in ascending order; -1 when out of range.
  constexpr std::int32_t Nth(std::int32_t index) const {
    if (index < 0) return -1;
    for (std::uint32_t ord = 0; ord < kIOStandardCount; ++ord)
      if (Has(ord) && index-- == 0) return static_cast<std::int32_t>(ord);
    return -1;
  }
};

struct IOStandardRecord {
  std::u16string_view Identifier;  // "sSSTL2I_2"
  std::uint8_t KindCode;           // index into the host-wide name tables
  std::uint8_t Slews;              // bit 0 SLOW, bit 1 FAST, bit 2 VERY_SLOW
  std::uint32_t Drives;            // bit j: entry j of kDriveStrengthNames
};

inline constexpr std::array<IOStandardRecord, kIOStandardCount> kIOStandards = {{
#define S4_X(ord, id, kind, drive) {u"" #id, kind, 0x3, drive},
    S4_IO_STANDARDS(S4_X)
#undef S4_X
}};

inline constexpr std::array<std::u16string_view, 3> kSlewNames = {u"SLOW", u"FAST", u"VERY_SLOW"};
inline constexpr std::array<std::u16string_view, 21> kDriveStrengthNames = {
    u"2mA",  u"3mA",  u"4mA",  u"6mA",  u"7mA",   u"8mA", u"10mA", u"12mA", u"14mA", u"16mA", u"17mA",
    u"18mA", u"20mA", u"24mA", u"3.5mA", u"5mA", u"15mA", u"21mA", u"25mA", u"33mA", u"35mA"};

// The name of the (index+1)-th member of a bit set in bit order, or empty text.
template <std::size_t N>
constexpr std::u16string_view NthBitName(std::uint32_t bits, std::int32_t index,
                                         const std::array<std::u16string_view, N>& names) {
  if (index < 0) return {};
  for (std::size_t b = 0; b < N; ++b)
    if (((bits >> b) & 1) != 0 && index-- == 0) return names[b];
  return {};
}

constexpr std::int32_t BitCount(std::uint32_t bits) {
  std::int32_t n = 0;
  for (; bits; bits &= bits - 1) ++n;
  return n;
}

}  // namespace s4
