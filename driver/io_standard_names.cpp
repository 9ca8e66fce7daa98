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

// Display names. The names of the kinds this family's standards use are the host's own; no
// list of the host's names for the other kinds is available to us, so for those (marked
// "chosen here") the names are made in the same style from the parameter name: technology,
// voltage, class, and the termination variant spelt out.
constexpr std::u16string_view kDisplayNames[kIOStandardKindCount] = {
    u"LVTTL 1.5V",  // 0 (chosen here)
    u"LVTTL 1.8V",  // 1
    u"LVTTL 2.5V",  // 2
    u"LVTTL 3.3V",  // 3
    u"LVCMOS 1.5V",  // 4
    u"LVCMOS 1.8V",  // 5
    u"LVCMOS 2.5V",  // 6
    u"LVCMOS 3.3V",  // 7
    u"LVCMOS 5V",  // 8 (chosen here)
    u"PCI 33MHz 3.3V",  // 9 (chosen here)
    u"PCI 33MHz 5V",  // 10 (chosen here)
    u"PCI 66MHz 3.3V",  // 11 (chosen here)
    u"PCI-X 3.3V",  // 12
    u"CompactPCI 3.3V",  // 13 (chosen here)
    u"SSTL3 Class I",  // 14 (chosen here)
    u"SSTL3 Class II",  // 15 (chosen here)
    u"SSTL2 Class I",  // 16
    u"SSTL2 Class II",  // 17
    u"SSTL18 Class I",  // 18
    u"SSTL18 Class II",  // 19
    u"GTL",  // 20 (chosen here)
    u"GTL+",  // 21 (chosen here)
    u"HSTL Class I",  // 22
    u"HSTL Class II",  // 23
    u"HSTL Class III",  // 24 (chosen here)
    u"HSTL Class IV",  // 25 (chosen here)
    u"HSTL 1.2V",  // 26
    u"HSTL Class I 1.8V",  // 27
    u"HSTL Class II 1.8V",  // 28
    u"HSTL Class III 1.8V",  // 29 (chosen here)
    u"HSTL Class IV 1.8V",  // 30 (chosen here)
    u"CTT",  // 31 (chosen here)
    u"AGP 1x",  // 32 (chosen here)
    u"AGP 2x",  // 33 (chosen here)
    u"TTL",  // 34 (chosen here)
    u"LVCMOS 1.2V",  // 35
    u"GTL DCI",  // 36 (chosen here)
    u"GTL+ DCI",  // 37 (chosen here)
    u"HSTL Class I DCI",  // 38 (chosen here)
    u"HSTL Class II DCI",  // 39 (chosen here)
    u"HSTL Class III DCI",  // 40 (chosen here)
    u"HSTL Class IV DCI",  // 41 (chosen here)
    u"HSTL Class I 1.8V DCI",  // 42 (chosen here)
    u"HSTL Class II 1.8V DCI",  // 43 (chosen here)
    u"HSTL Class III 1.8V DCI",  // 44 (chosen here)
    u"HSTL Class IV 1.8V DCI",  // 45 (chosen here)
    u"DHSTL Class I",  // 46
    u"DHSTL Class II",  // 47
    u"DHSTL Class III",  // 48 (chosen here)
    u"DHSTL 1.8V Class I",  // 49
    u"DHSTL 1.8V Class II",  // 50
    u"DHSTL 1.8V Class III",  // 51 (chosen here)
    u"HyperTransport",  // 52 (chosen here)
    u"PCML",  // 53 (chosen here)
    u"PCML15",  // 54
    u"SSTL18 Class I DCI",  // 55 (chosen here)
    u"SSTL18 Class II DCI",  // 56 (chosen here)
    u"SSTL2 Class I DCI",  // 57 (chosen here)
    u"SSTL2 Class II DCI",  // 58 (chosen here)
    u"SSTL3 Class I DCI",  // 59 (chosen here)
    u"SSTL3 Class II DCI",  // 60 (chosen here)
    u"LVCMOS 1.5V DCI",  // 61 (chosen here)
    u"LVCMOS 1.8V DCI",  // 62 (chosen here)
    u"LVCMOS 2.5V DCI",  // 63 (chosen here)
    u"LVCMOS 3.3V DCI",  // 64 (chosen here)
    u"LVCMOS 1.5V DCI Half Impedance",  // 65 (chosen here)
    u"LVCMOS 1.8V DCI Half Impedance",  // 66 (chosen here)
    u"LVCMOS 2.5V DCI Half Impedance",  // 67 (chosen here)
    u"LVCMOS 3.3V DCI Half Impedance",  // 68 (chosen here)
    u"LVDS",  // 69
    u"LVPECL",  // 70
    u"Differential SSTL 1.8V Class I",  // 71
    u"Differential SSTL 1.8V Class II",  // 72
    u"Differential SSTL2 Class I",  // 73
    u"Differential SSTL2 Class II",  // 74
    u"Differential SSTL3 Class I",  // 75 (chosen here)
    u"Differential SSTL3 Class II",  // 76 (chosen here)
    u"Bus LVDS 2.5V",  // 77 (chosen here)
    u"LVPECL 2.5V",  // 78 (chosen here)
    u"RSDS 2.5V",  // 79
    u"LVDS 3.3V",  // 80 (chosen here)
    u"LVDS 2.5V DCI",  // 81 (chosen here)
    u"LVDS 3.3V DCI",  // 82 (chosen here)
    u"Extended LVDS 2.5V",  // 83 (chosen here)
    u"Extended LVDS 3.3V",  // 84 (chosen here)
    u"Extended LVDS 2.5V DCI",  // 85 (chosen here)
    u"Extended LVDS 3.3V DCI",  // 86 (chosen here)
    u"Lightning Data Transport",  // 87 (chosen here)
    u"Ultra LVDS 2.5V",  // 88 (chosen here)
    u"Lightning Data Transport Differential Termination",  // 89 (chosen here)
    u"LVDS Differential Termination",  // 90 (chosen here)
    u"Extended LVDS 2.5V Differential Termination",  // 91 (chosen here)
    u"Ultra LVDS 2.5V Differential Termination",  // 92 (chosen here)
    u"Mini LVDS 2.5V",  // 93
    u"LVCMOS 3.3V Type 1",  // 94 (chosen here)
    u"LVCMOS 3.3V Type 2",  // 95 (chosen here)
    u"DHSTL Class II DCI",  // 96 (chosen here)
    u"DHSTL 1.8V Class II DCI",  // 97 (chosen here)
    u"Differential SSTL2 Class II DCI",  // 98 (chosen here)
    u"Differential SSTL 1.8V Class II DCI",  // 99 (chosen here)
    u"LVTTL 1.2V",  // 100 (chosen here)
    u"PCML12",  // 101
    u"Bus LVDS 3.3V",  // 102 (chosen here)
    u"RSDS 3.3V",  // 103 (chosen here)
    u"HSLVDCI 1.5V",  // 104 (chosen here)
    u"HSLVDCI 1.8V",  // 105 (chosen here)
    u"HSLVDCI 2.5V",  // 106 (chosen here)
    u"HSLVDCI 3.3V",  // 107 (chosen here)
    u"Multipoint LVDS 2.5V",  // 108 (chosen here)
    u"Mini LVDS 3.3V",  // 109 (chosen here)
    u"TMDS 3.3V",  // 110 (chosen here)
    u"PPDS 2.5V",  // 111 (chosen here)
    u"PPDS 3.3V",  // 112 (chosen here)
    u"DHSTL 1.8V Class I DCI",  // 113 (chosen here)
    u"DHSTL Class I DCI",  // 114 (chosen here)
    u"Differential SSTL 1.8V Class I DCI",  // 115 (chosen here)
    u"Differential SSTL2 Class I DCI",  // 116 (chosen here)
    u"HSTL Class II 1.8V Split DCI",  // 117 (chosen here)
    u"HSTL Class II Split DCI",  // 118 (chosen here)
    u"SSTL18 Class II Split DCI",  // 119 (chosen here)
    u"SSTL2 Class II Split DCI",  // 120 (chosen here)
    u"PCI-X 1.5V",  // 121 (chosen here)
    u"CTT 2.5V",  // 122 (chosen here)
    u"LVCMOS 3.0V",  // 123 (chosen here)
    u"LVTTL 3.0V",  // 124 (chosen here)
    u"HSTLII_12",  // 125
    u"PCI33_30",  // 126
    u"PCI-X 3.0V",  // 127 (chosen here)
    u"DHSTL 1.2V Class I",  // 128 (chosen here)
    u"DHSTL 1.2V Class II",  // 129 (chosen here)
    u"SSTL Class I 1.5V",  // 130
    u"SSTL Class II 1.5V",  // 131
    u"HSTL Class I 1.2V",  // 132 (chosen here)
    u"Differential SSTL Class I 1.5V",  // 133
    u"Differential SSTL Class II 1.5V",  // 134
    u"MiniLVDS25 External One-Resistor",  // 135
    u"MiniLVDS25 External Three-Resistor Network",  // 136
    u"RSDS25 External One-Resistor",  // 137
    u"RSDS25 External Three-Resistor Network",  // 138
    u"LVDS External One-Resistor",  // 139
    u"LVDS External Three-Resistor Network",  // 140
    u"GTL 3.3V",  // 141 (chosen here)
    u"GTL 2.5V",  // 142 (chosen here)
    u"GTL+ 3.3V",  // 143 (chosen here)
    u"GTL+ 2.5V",  // 144 (chosen here)
    u"I2C",  // 145 (chosen here)
    u"SMBus",  // 146 (chosen here)
    u"SDIO",  // 147 (chosen here)
    u"Mobile DDR",  // 148 (chosen here)
    u"Differential Mobile DDR",  // 149 (chosen here)
    u"DisplayPort",  // 150 (chosen here)
    u"DHSTL Class II Split DCI",  // 151 (chosen here)
    u"DHSTL 1.8V Class II Split DCI",  // 152 (chosen here)
    u"SSTL 1.5V",  // 153 (chosen here)
    u"SSTL 1.5V DCI",  // 154 (chosen here)
    u"Differential SSTL 1.5V",  // 155 (chosen here)
    u"Differential SSTL 1.5V DCI",  // 156 (chosen here)
    u"SSTL 1.5V Split DCI",  // 157 (chosen here)
    u"Differential SSTL2 Class II Split DCI",  // 158 (chosen here)
    u"Differential SSTL 1.8V Class II Split DCI",  // 159 (chosen here)
    u"Differential SSTL 1.5V Split DCI",  // 160 (chosen here)
    u"PPDS 2.5V External Three-Resistor Network",  // 161 (chosen here)
    u"Differential SSTL Class II 1.2V",  // 162
    u"HCSL",  // 163
    u"Differential 2.5-V Pseudo Current Mode Logic",  // 164
    u"Differential SSTL 2.5V Class I",  // 165 (chosen here)
    u"Differential 2.5-V SSTL Class I",  // 166
    u"Differential SSTL 2.0V Class II",  // 167 (chosen here)
    u"Differential SSTL 1.2V Class I",  // 168 (chosen here)
    u"PCML14",  // 169
    u"LVTTL 3.3V Schmitt Trigger Input",  // 170 (chosen here)
    u"LVTTL 2.5V Schmitt Trigger Input",  // 171 (chosen here)
    u"SSTL 2.5V Class I",  // 172 (chosen here)
    u"SSTL 2.5V Class II",  // 173 (chosen here)
    u"LVPECL 3.3V",  // 174 (chosen here)
    u"Multipoint LVDS 3.3V",  // 175 (chosen here)
    u"Differential LVTTL 3.3V",  // 176 (chosen here)
    u"Differential LVCMOS 3.3V",  // 177 (chosen here)
    u"Differential LVCMOS 2.5V",  // 178 (chosen here)
    u"Differential LVCMOS 1.8V",  // 179 (chosen here)
    u"Differential LVCMOS 1.5V",  // 180 (chosen here)
    u"Differential LVCMOS 1.2V",  // 181 (chosen here)
    u"Bus LVDS 2.5V Emulated",  // 182 (chosen here)
    u"Multipoint LVDS 2.5V Emulated",  // 183 (chosen here)
    u"LVPECL 3.3V Emulated",  // 184 (chosen here)
    u"RSDS 2.5V Emulated",  // 185 (chosen here)
};
}  // namespace

std::u16string_view IOStandardKindParamName(std::uint32_t kind) {
  return kind < kIOStandardKindCount ? kParamNames[kind] : std::u16string_view();
}

std::u16string_view IOStandardKindDisplayName(std::uint32_t kind) {
  return kind < kIOStandardKindCount ? kDisplayNames[kind] : std::u16string_view();
}

}  // namespace s4
