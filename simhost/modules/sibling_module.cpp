// A sibling module of the simulated host ("DeviceManager.DLL", "WorkspaceManager.DLL", ...): a
// real shared library that the module finds and loads as it finds the host's own modules. Its
// entries forward to the simulated host inside the program (S4SimHost_Object and
// S4SimHost_Count, exported by simhost/sim_host.cpp), so what they answer is whatever the test
// configured. One source, built once per module with S4_SIBLING_<ROLE> defined.
#include <cstdint>

#include "platform/com.h"

#if defined(_WIN32)
#  define S4_ENTRY extern "C" __declspec(dllexport)
#else
#  include <dlfcn.h>
#  define S4_ENTRY extern "C" __attribute__((visibility("default")))
#endif

namespace {
using ObjectFn = IDispatch* (*)(const char*, std::int32_t);
using CountFn = std::int32_t (*)(const char*);

// The program's own export (the simulated host lives in the program).
void* ProgramEntry(const char* name) {
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name));
#else
  return dlsym(RTLD_DEFAULT, name);
#endif
}

IDispatch* Object(const char* entry, std::int32_t index = 0) {
  auto fn = reinterpret_cast<ObjectFn>(ProgramEntry("S4SimHost_Object"));
  return fn ? fn(entry, index) : nullptr;
}
std::int32_t Count(const char* entry) {
  auto fn = reinterpret_cast<CountFn>(ProgramEntry("S4SimHost_Count"));
  return fn ? fn(entry) : 0;
}
}  // namespace

#if defined(S4_SIBLING_DEVICE_MANAGER)
S4_ENTRY IDispatch* GetDeviceManager() { return Object("GetDeviceManager"); }
S4_ENTRY std::int32_t GetJTagPortCount() { return Count("GetJTagPortCount"); }
S4_ENTRY IDispatch* GetJTagPort(std::int32_t index) { return Object("GetJTagPort", index); }
#elif defined(S4_SIBLING_WORKSPACE_MANAGER)
S4_ENTRY IDispatch* GetWorkspace() { return Object("GetWorkspace"); }
#elif defined(S4_SIBLING_INTEGRATED_LIBRARY)
S4_ENTRY IDispatch* LibApi_GetModelTypeManager() { return Object("LibApi_GetModelTypeManager"); }
S4_ENTRY IDispatch* LibApi_GetLibraryManager() { return Object("LibApi_GetLibraryManager"); }
S4_ENTRY IDispatch* LibApi_GetDeviceSheetManager() { return Object("LibApi_GetDeviceSheetManager"); }
#elif defined(S4_SIBLING_FPGA_FLOW)
S4_ENTRY IDispatch* GetVireoWorkspace() { return Object("GetVireoWorkspace"); }
#elif defined(S4_SIBLING_EDIT_VHDL)
S4_ENTRY IDispatch* GetEditVHDLSynthesizer() { return Object("GetEditVHDLSynthesizer"); }
#endif
