// Building a driver's boundary-scan entity from its built-in record.
//
// The driver keeps five look-up lists (scan pins by pin number, cells by number, pin mappings
// by pin number, opcodes by instruction name, register associations by register name) so
// that every find-or-create step is one hashed, case-insensitive look-up. The entity owns
// everything it is made of, the pin mappings included (they are reached through their scan
// pins and are not in the entity's own pin-mapping list).
#pragma once

#include <cstddef>
#include <string_view>

#include "boundaryscan/bsdl_entity.h"
#include "driver/named_object_list.h"

namespace s4 {

struct TBSDLLookupLists {
  NamedObjectList<void*>& ScanPins;
  NamedObjectList<void*>& BoundaryCells;
  NamedObjectList<void*>& PinMappings;
  NamedObjectList<void*>& OpCodes;
  NamedObjectList<void*>& RegisterAssociations;
};

// The record for a BSDL file name: the last record whose file name matches without regard to
// case, record 0 when none matches.
std::size_t BuiltInRecordIndex(std::u16string_view fileName);

// Builds the entity of record `index` (0..44). Throws std::out_of_range for another index.
Owned<TBSDLEntity> BuildBuiltInEntity(std::size_t index, const TBSDLLookupLists& lists);

// Frees the entities a driver attached to its list of BSDL names.
void ReleaseBuiltInEntities(NamedObjectList<IDispatch*>& list);

}  // namespace s4
