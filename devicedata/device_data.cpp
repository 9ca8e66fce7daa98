#include "devicedata/device_data.h"

namespace s4 {

std::span<const std::u16string_view> BuiltInBSDLFileNames() {
  static constexpr std::u16string_view names[] = {
      u"EP4SGX70DF29.bsd",  u"EP4SGX70HF35.bsd",  u"EP4SGX110DF29.bsd", u"EP4SGX110FF35.bsd",
      u"EP4SGX110HF35.bsd", u"EP4SGX180DF29.bsd", u"EP4SGX180FF35.bsd", u"EP4SGX180HF35.bsd",
      u"EP4SGX180KF40.bsd", u"EP4SGX230DF29.bsd", u"EP4SGX230FF35.bsd", u"EP4SGX230HF35.bsd",
      u"EP4SGX230KF40.bsd", u"EP4SGX290FH29.bsd", u"EP4SGX290FF35.bsd", u"EP4SGX290HF35.bsd",
      u"EP4SGX290KF40.bsd", u"EP4SGX290KF43.bsd", u"EP4SGX290NF45.bsd", u"EP4SGX360FH29.bsd",
      u"EP4SGX360FF35.bsd", u"EP4SGX360HF35.bsd", u"EP4SGX360KF40.bsd", u"EP4SGX360KF43.bsd",
      u"EP4SGX360NF45.bsd", u"EP4SGX530HH35.bsd", u"EP4SGX530KH40.bsd", u"EP4SGX530KF43.bsd",
      u"EP4SGX530NF45.bsd", u"EP4SE230F29.bsd",   u"EP4SE360H29.bsd",   u"EP4SE360F35.bsd",
      u"EP4SE530H35.bsd",   u"EP4SE530H40.bsd",   u"EP4SE530F43.bsd",   u"EP4SE820H35.bsd",
      u"EP4SE820H40.bsd",   u"EP4SE820F43.bsd",   u"EP4S40G2F40.bsd",   u"EP4S40G5H40.bsd",
      u"EP4S100G2F40.bsd",  u"EP4S100G3F45.bsd",  u"EP4S100G4F45.bsd",  u"EP4S100G5H40.bsd",
      u"EP4S100G5F45.bsd",
  };
  return names;
}

TDeviceData::TDeviceData(std::int32_t kind, std::u16string_view coreExt) : TVireoDriver(coreExt), FKind(kind) {
  for (std::u16string_view name : BuiltInBSDLFileNames()) BSDLDataList.Add(name, nullptr);
}

TDeviceData::~TDeviceData() = default;

}  // namespace s4
