// The module's two exports. Nothing else is visible outside the module (exports.map).
#include <mutex>
#include <new>
#include <vector>

#include "driver/device_stratix4_driver.h"

#if defined(_WIN32)
// exports.def names the exports: with dllexport as well, a 32-bit build would also export
// the stdcall-decorated names ("GetVireoDriverCount@4").
#  define S4_EXPORT extern "C"
#else
#  define S4_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Drivers are never freed: the host keeps them as long as it runs and cannot free them by
// releasing. They are kept in this list only so that they stay reachable (leak checkers
// then see them as live), never to be freed here; freeing them at unload would release host
// objects the host may already have destroyed.
struct DriverList {
  std::mutex lock;
  std::vector<s4::TDevice_Stratix4Driver*> drivers;
};
DriverList& Drivers() {
  static DriverList* list = new DriverList;  // outlives static destruction on purpose
  return *list;
}

}  // namespace

S4_EXPORT HRESULT STDAPICALLTYPE GetVireoDriverCount(std::int32_t* Count) {
  if (!Count) return E_POINTER;
  *Count = s4::kDeviceKindCount;
  return S_OK;
}

S4_EXPORT HRESULT STDAPICALLTYPE GetVireoDriver_Plugin(std::int32_t AKind, IDispatch** Driver) {
  // Storing into a null out pointer would crash the host; refuse before building anything.
  if (!Driver) return E_POINTER;
  *Driver = nullptr;
  if (AKind < 0 || AKind >= s4::kDeviceKindCount) return S_OK;
  try {
    auto* driver = s4::TAbstractSupportService::Create<s4::TDevice_Stratix4Driver>(AKind);
    {
      DriverList& list = Drivers();
      std::lock_guard<std::mutex> guard(list.lock);
      list.drivers.push_back(driver);
    }
    *Driver = driver->AsDispatch();
    return S_OK;
  } catch (...) {
    *Driver = nullptr;
    return E_UNEXPECTED;
  }
}
