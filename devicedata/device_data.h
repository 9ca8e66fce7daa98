// TDeviceData: the driver level that knows its device kind and answers every
// device-information query from the built-in tables.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "driver/named_object_list.h"
#include "driver/vireo_driver.h"

namespace s4 {

// The 45 built-in boundary-scan file names, in the order of the built-in tables.
std::span<const std::u16string_view> BuiltInBSDLFileNames();

class TDeviceData : public TVireoDriver {
 public:
  TDeviceData(std::int32_t kind, std::u16string_view coreExt);
  ~TDeviceData() override;

  std::int32_t Kind() const { return FKind; }

  bool IsFPGA() override { return true; }
  bool IsCPLD() override { return false; }
  bool IsPROM() override { return false; }

 protected:
  std::int32_t FKind;
  // Host-facing pin objects, made on the first pin request.
  std::vector<ComPtr<IDispatch>> Pins;
  // The built-in boundary-scan file names; the slot caches the entity built for each.
  NamedObjectList<IDispatch*> BSDLDataList;
  // Working caches of the boundary-scan tables.
  NamedObjectList<void*> ScanPins, BoundaryCells, PinMappings, OpCodes, RegisterAssociations;
};

}  // namespace s4
