// Modules: the file of the module that contains this code, and loading other modules with
// their entry points.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace s4 {

// The full OS path of the module (shared library or program) this function is linked into.
std::string ThisModuleOsPath();
// The full OS path of the running program.
std::string ThisProgramOsPath();
// Its folder in the host's path form, ending in "\".
std::u16string ModuleFolder();

// The address of an entry point that the running program exports, or null. The host's own
// entries (the client interface, the virtual file system) are found this way.
void* ProgramSymbol(const char* name);
// The folder of the host program, as an OS path ending in the separator. Away from Windows the
// host program is whatever process loaded the module (the command-line host, a test program),
// so the environment variable S4_HOST_DIR may name the folder that plays its part; without it,
// the running program's own folder.
std::string HostProgramOsFolder();
// The OS path of a module already loaded into the process whose file name equals `fileName`
// ignoring letter case; empty when none is.
std::string LoadedModuleOsPath(std::u16string_view fileName);

// A loaded module; unloaded when the object goes unless Leak() was called.
class LoadedLibrary {
 public:
  // Loads the module at `osPath`; null with `error` set when that fails.
  static std::unique_ptr<LoadedLibrary> Open(const std::string& osPath, std::string* error);
  ~LoadedLibrary();
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // The address of an exported function, or null.
  void* Symbol(const char* name) const;
  // Keeps the module loaded for the rest of the process, as hosts do with their plug-ins.
  void Leak() { leak_ = true; }

 private:
  explicit LoadedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
  bool leak_ = false;
};

}  // namespace s4
