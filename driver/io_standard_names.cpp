// The host-wide name tables of I/O standard kinds, indexed by kind code 0..185.
#include "driver/abstract_device_pin.h"

namespace s4 {

namespace {
constexpr std::u16string_view kParamNames[kIOStandardKindCount] = {
    u"LVTTL15",  // 0
    u"LVTTL18",  // 1
    u"LVTTL25",  // 2
    u"LVTTL33",  // 3
    u"LVCMOS15",  // 4
    u"LVCMOS18",  // 5
    u"LVCMOS25",  // 6
    u"LVCMOS33",  // 7
    u"LVCMOS5",  // 8
    u"PCI33_3",  // 9
    u"PCI33_5",  // 10
    u"PCI66",  // 11
    u"PCIX_3",  // 12
    u"COMPACTPCI_3",  // 13
    u"SSTL3I",  // 14
    u"SSTL3II",  // 15
    u"SSTL2I",  // 16
    u"SSTL2II",  // 17
    u"SSTL18I",  // 18
    u"SSTL18II",  // 19
    u"GTL",  // 20
    u"GTLP",  // 21
    u"HSTLI",  // 22
    u"HSTLII",  // 23
    u"HSTLIII",  // 24
    u"HSTLIV",  // 25
    u"HSTL_12",  // 26
    u"HSTLI_18",  // 27
    u"HSTLII_18",  // 28
    u"HSTLIII_18",  // 29
    u"HSTLIV_18",  // 30
    u"CTT",  // 31
    u"AGP1x",  // 32
    u"AGP2x",  // 33
    u"TTL",  // 34
    u"LVCMOS12",  // 35
    u"GTL_DCI",  // 36
    u"GTLP_DCI",  // 37
    u"HSTLI_DCI",  // 38
    u"HSTLII_DCI",  // 39
    u"HSTLIII_DCI",  // 40
    u"HSTLIV_DCI",  // 41
    u"HSTLI_18_DCI",  // 42
    u"HSTLII_18_DCI",  // 43
    u"HSTLIII_18_DCI",  // 44
    u"HSTLIV_18_DCI",  // 45
    u"DHSTLI",  // 46
    u"DHSTLII",  // 47
    u"DHSTLIII",  // 48
    u"DHSTL18I",  // 49
    u"DHSTL18II",  // 50
    u"DHSTL18III",  // 51
    u"HTT",  // 52
    u"PCML",  // 53
    u"PCML15",  // 54
    u"SSTL18I_DCI",  // 55
    u"SSTL18II_DCI",  // 56
    u"SSTL2I_DCI",  // 57
    u"SSTL2II_DCI",  // 58
    u"SSTL3I_DCI",  // 59
    u"SSTL3II_DCI",  // 60
    u"LVCMOS15_DCI",  // 61
    u"LVCMOS18_DCI",  // 62
    u"LVCMOS25_DCI",  // 63
    u"LVCMOS33_DCI",  // 64
    u"LVCMOS15_DCI_DV2",  // 65
    u"LVCMOS18_DCI_DV2",  // 66
    u"LVCMOS25_DCI_DV2",  // 67
    u"LVCMOS33_DCI_DV2",  // 68
    u"LVDS",  // 69
    u"LVPECL",  // 70
    u"DSSTL18I",  // 71
    u"DSSTL18II",  // 72
    u"DSSTL2I",  // 73
    u"DSSTL2II",  // 74
    u"DSSTL3I",  // 75
    u"DSSTL3II",  // 76
    u"BLVDS25",  // 77
    u"LVPECL25",  // 78
    u"RSDS25",  // 79
    u"LVDS33",  // 80
    u"LVDS25_DCI",  // 81
    u"LVDS33_DCI",  // 82
    u"LVDSEXT25",  // 83
    u"LVDSEXT33",  // 84
    u"LVDSEXT25_DCI",  // 85
    u"LVDSEXT33_DCI",  // 86
    u"LDT",  // 87
    u"ULVDS25",  // 88
    u"LDT_DT",  // 89
    u"LVDS_DT",  // 90
    u"LVDSEXT25_DT",  // 91
    u"ULVDS25_DT",  // 92
    u"MiniLVDS25",  // 93
    u"LVCMOS33_1",  // 94
    u"LVCMOS33_2",  // 95
    u"DHSTLII_DCI",  // 96
    u"DHSTL18II_DCI",  // 97
    u"DSSTL2II_DCI",  // 98
    u"DSSTL18II_DCI",  // 99
    u"LVTTL12",  // 100
    u"PCML12",  // 101
    u"BLVDS33",  // 102
    u"RSDS33",  // 103
    u"HSLV15_DCI",  // 104
    u"HSLV18_DCI",  // 105
    u"HSLV25_DCI",  // 106
    u"HSLV33_DCI",  // 107
    u"MLVDS25",  // 108
    u"MiniLVDS33",  // 109
    u"TMDS33",  // 110
    u"PPDS25",  // 111
    u"PPDS33",  // 112
    u"DHSTL18I_DCI",  // 113
    u"DHSTLI_DCI",  // 114
    u"DSSTL18I_DCI",  // 115
    u"DSSTL2I_DCI",  // 116
    u"HSTLII_18T_DCI",  // 117
    u"HSTLIIT_DCI",  // 118
    u"SSTL18IIT_DCI",  // 119
    u"SSTL2IIT_DCI",  // 120
    u"PCIX_15",  // 121
    u"CTT25",  // 122
    u"LVCMOS30",  // 123
    u"LVTTL30",  // 124
    u"HSTLII_12",  // 125
    u"PCI33_30",  // 126
    u"PCIX_30",  // 127
    u"DHSTL12I",  // 128
    u"DHSTL12II",  // 129
    u"SSTL15I",  // 130
    u"SSTL15II",  // 131
    u"HSTLI_12",  // 132
    u"DSSTL15I",  // 133
    u"DSSTL15II",  // 134
    u"MiniLVDS25_E_1R",  // 135
    u"MiniLVDS25_E_3R",  // 136
    u"RSDS25_E_1R",  // 137
    u"RSDS25_E_3R",  // 138
    u"LVDS_E_1R",  // 139
    u"LVDS_E_3R",  // 140
    u"3.3V GTL",  // 141
    u"2.5V GTL",  // 142
    u"3.3V GTL+",  // 143
    u"2.5V GTL+",  // 144
    u"I2C",  // 145
    u"SMBus",  // 146
    u"SDIO",  // 147
    u"Mobile_DDR",  // 148
    u"DMobile_DDR",  // 149
    u"Display_Port",  // 150
    u"DHSTLIIT_DCI",  // 151
    u"DHSTLII_18T_DCI",  // 152
    u"SSTL15",  // 153
    u"SSTL15_DCI",  // 154
    u"DSSTL15",  // 155
    u"DSSTL15_DCI",  // 156
    u"SSTL15T_DCI",  // 157
    u"DSSTL2IIT_DCI",  // 158
    u"DSSTL18IIT_DCI",  // 159
    u"DSSTL15T_DCI",  // 160
    u"PPDS25_E_3R",  // 161
    u"DSSTL12II",  // 162
    u"HCSL",  // 163
    u"PCML25",  // 164
    u"DSSTL25I",  // 165
    u"DSSTL25II",  // 166
    u"DSSTL20II",  // 167
    u"DSSTL12I",  // 168
    u"PCML14",  // 169
    u"LVTTL33_STI",  // 170
    u"LVTTL25_STI",  // 171
    u"SSTL25I",  // 172
    u"SSTL25II",  // 173
    u"LVPECL33",  // 174
    u"MLVDS33",  // 175
    u"LVTTL33D",  // 176
    u"LVCMOS33D",  // 177
    u"LVCMOS25D",  // 178
    u"LVCMOS18D",  // 179
    u"LVCMOS15D",  // 180
    u"LVCMOS12D",  // 181
    u"BLVDS25E",  // 182
    u"MLVDS25E",  // 183
    u"LVPECL33E",  // 184
    u"RSDS25E",  // 185
};
}  // namespace

std::u16string_view IOStandardKindParamName(std::uint32_t kind) {
  return kind < kIOStandardKindCount ? kParamNames[kind] : std::u16string_view();
}

// FIXME: the display names of the kinds this family does not use are not known yet; until
// they are, those kinds show their parameter name.
std::u16string_view IOStandardKindDisplayName(std::uint32_t kind) { return IOStandardKindParamName(kind); }

}  // namespace s4
