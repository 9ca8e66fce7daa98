// The one device query that rests on the host utilities: the vendor comes from the
// device-family dictionary, so a "VireoConfig.ini" in a plug-in folder can rename it.
#include "devicedata/device_data.h"
#include "host/device_families.h"

namespace s4 {

WideString TDeviceData::GetVendorName() { return VendorOfFamily(u"Stratix4"); }

}  // namespace s4
