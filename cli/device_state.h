// How s4host words the device state the driver answers (GetDeviceState: 2 configured, 1 not).
#pragma once

#include <string>
#include <string_view>

#include "jtag/configuration.h"
#include "platform/widestring.h"

namespace s4::cli {

// Whether the driver can read the state of a device with this base name at all: without a
// CONF_DONE position it answers 1 whatever the device holds.
inline bool StateIsReadable(std::string_view baseName) {
  return jtag::ConfDonePosition(Utf8ToUtf16(baseName)).has_value();
}

inline std::string StateText(int state, std::string_view baseName) {
  if (!StateIsReadable(baseName)) return "unknown: no CONF_DONE position for this device";
  return state == 2 ? "configured" : "not configured";
}

}  // namespace s4::cli
