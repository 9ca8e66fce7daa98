#include "host/host_services.h"

#include "platform/module.h"

namespace s4::host {

namespace {
using ClientEntry = IDispatch* (*)();

// The host objects the module keeps for its whole life. They are deliberately never
// released: the host outlives the module's use of them, and releasing at unload could call
// into a host that is already gone.
IDispatch* g_client = nullptr;
IDispatch* g_clientApi = nullptr;
std::int32_t g_ownerWindow = 0;
}  // namespace

IDispatch* Client() {
  static const auto entry = reinterpret_cast<ClientEntry>(ProgramSymbol("ClientAPI_GetClientInterface"));
  if (!g_client && entry) {
    if (IDispatch* c = entry()) {
      c->AddRef();
      g_client = c;
    }
  }
  return g_client;
}

IDispatch* ClientAPI() {
  if (!g_clientApi) {
    if (IDispatch* client = Client()) g_clientApi = IDispClient::GetClientAPI(client).detach();
  }
  return g_clientApi;
}

Object GUIManager() {
  IDispatch* client = Client();
  return client ? IDispClient::GetGUIManager(client) : Object();
}

std::int32_t ApplicationOwnerWindow() { return g_ownerWindow; }
void SetApplicationOwnerWindow(std::int32_t handle) { g_ownerWindow = handle; }

}  // namespace s4::host
