// A boundary-scan entity made from a BSDL file (a vendor's, or any other), so that a file a
// user has can stand in the same object model as the built-in descriptions.
#pragma once

#include <string_view>

#include "boundaryscan/bsdl/description.h"
#include "boundaryscan/bsdl_entity.h"

namespace s4 {

// Unlike a built-in entity, an imported one also fills the fields the file declares and the
// built-in records leave out: InstructionLength, IdCode (X bits as 0), the seven instruction
// codes, DesignWarning and its own PinMappings list. `fileName` becomes Filename; `package`
// chooses among several pin maps (see bsdl::Flatten).
// Throws std::runtime_error when the description has no pin map to use.
Owned<TBSDLEntity> ImportEntity(const bsdl::Description& d, std::u16string_view fileName,
                                std::string_view package = {});

}  // namespace s4
