#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/module.h"
#include "platform/path.h"
#include "platform/widestring.h"

namespace s4 {

std::string ThisModuleOsPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ThisModuleOsPath), &info) && info.dli_fname) return info.dli_fname;
  return {};
}

std::string ThisProgramOsPath() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, std::size_t(n)) : std::string();
}

std::u16string ModuleFolder() {
  std::string path = ThisModuleOsPath();
  const auto slash = path.find_last_of('/');
  path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return ToHostPath(path);
}

void* ProgramSymbol(const char* name) {
  // The program's own handle searches the program and the libraries loaded globally, which is
  // where a host exports its entries; the module itself is loaded locally and is not searched.
  static void* self = dlopen(nullptr, RTLD_NOW);
  return self ? dlsym(self, name) : nullptr;
}

std::string HostProgramOsFolder() {
  std::string folder;
  if (const char* dir = std::getenv("S4_HOST_DIR"); dir && *dir) {
    folder = dir;
  } else {
    folder = ThisProgramOsPath();
    const auto slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
  }
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string LoadedModuleOsPath(std::u16string_view fileName) {
  struct Search {
    std::u16string_view name;
    std::string found;
  } search{fileName, {}};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) -> int {
        auto* s = static_cast<Search*>(data);
        if (!info->dlpi_name || !*info->dlpi_name) return 0;
        std::string_view path(info->dlpi_name);
        const auto slash = path.find_last_of('/');
        const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
        if (EqualsIgnoreCase(Utf8ToUtf16(base), s->name)) {
          s->found.assign(path);
          return 1;
        }
        return 0;
      },
      &search);
  return search.found;
}

std::unique_ptr<LoadedLibrary> LoadedLibrary::Open(const std::string& osPath, std::string* error) {
  dlerror();
  void* h = dlopen(osPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    if (error) {
      const char* e = dlerror();
      *error = e ? e : ("cannot load " + osPath);
    }
    return nullptr;
  }
  return std::unique_ptr<LoadedLibrary>(new LoadedLibrary(h));
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ && !leak_) dlclose(handle_);
}

void* LoadedLibrary::Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

}  // namespace s4
