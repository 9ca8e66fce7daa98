#include "boundaryscan/bscan_types.h"

#include <span>

namespace s4 {
namespace {

template <std::size_t N>
std::u16string_view Pick(const std::u16string_view (&texts)[N], unsigned v) {
  return v < N ? texts[v] : std::u16string_view();
}

}  // namespace

std::u16string_view CellKindText(TCellKind v) {
  static constexpr std::u16string_view t[] = {u"",     u"BC_0", u"BC_1", u"BC_2", u"BC_3", u"BC_4",
                                              u"BC_5", u"BC_6", u"BC_7", u"BC_8", u"BC_9", u"BC_10"};
  return Pick(t, v);
}
std::u16string_view CellFunctionText(TCellFunction v) {
  static constexpr std::u16string_view t[] = {u"",        u"Input",   u"Clock",    u"Output2", u"Output3",
                                              u"Control", u"ControlR", u"Internal", u"BiDir",   u"ObserveOnly"};
  return Pick(t, v);
}
std::u16string_view BitValueText(TBitValue v) {
  static constexpr std::u16string_view t[] = {u"", u"0", u"1", u"X"};
  return Pick(t, v);
}
std::u16string_view DisableResultText(TDisableResult v) {
  static constexpr std::u16string_view t[] = {u"", u"Z", u"Weak0", u"Weak1", u"Pull0", u"Pull1", u"Keeper"};
  return Pick(t, v);
}
std::u16string_view PinElectricalText(TPinElectrical v) {
  static constexpr std::u16string_view t[] = {u"Input",   u"I/O", u"Output",       u"Open Collector",
                                              u"Passive", u"HiZ", u"Open Emitter", u"Power"};
  return Pick(t, v);
}

}  // namespace s4
