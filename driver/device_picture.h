// The device picture the host shows for a driver: the host's generic hard-device picture with
// the family's picture centred on it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/bitmap.h"

namespace s4 {

// Builds the picture from `systemFolder` + "Generic_Hard_Device.bmp" and `libraryFolder` +
// "DeviceImages\" + family + ".bmp". No picture (empty optional) when the generic file does not
// exist; an unreadable generic file raises std::runtime_error; a family picture that is absent
// or unreadable leaves the generic picture as it is. The family picture goes at
// ((generic width - family width) / 2, (generic height - family height) / 2), rounded toward
// zero, without its four corner pixels, clipped to both pictures when it does not fit.
std::optional<Bitmap> BuildDevicePicture(std::u16string_view systemFolder, std::u16string_view libraryFolder,
                                         std::u16string_view familyName);

}  // namespace s4
