// The module's way to the host's root objects. Each answers null when the host does not give
// the object; callers then skip their work (see host/host_call.h for the failure rule).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host/host_call.h"

namespace s4::host {

// The host client, from the host program's entry "ClientAPI_GetClientInterface". The entry is
// resolved once; the client, once obtained, is kept for the life of the module.
IDispatch* Client();
// The client API object of the client (client operation 795), kept once obtained.
IDispatch* ClientAPI();
// The client's GUI manager, asked each time.
Object GUIManager();

// The window that owns the module's windows: the host's main window once a driver attached
// to it (0 before).
std::int32_t ApplicationOwnerWindow();
void SetApplicationOwnerWindow(std::int32_t handle);

}  // namespace s4::host
