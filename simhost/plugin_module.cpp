#include "simhost/plugin_module.h"

#include <cstdlib>

namespace s4::sim {

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& osPath, std::string* error) {
  std::unique_ptr<PluginModule> m(new PluginModule);
  m->lib_ = LoadedLibrary::Open(osPath, error);
  if (!m->lib_) return nullptr;
  m->lib_->Leak();
  m->count_ = reinterpret_cast<GetVireoDriverCountFn>(m->lib_->Symbol("GetVireoDriverCount"));
  m->getDriver_ = reinterpret_cast<GetVireoDriverPluginFn>(m->lib_->Symbol("GetVireoDriver_Plugin"));
  if (!m->count_ || !m->getDriver_) {
    if (error) *error = osPath + ": not a device driver module (GetVireoDriverCount or GetVireoDriver_Plugin missing)";
    return nullptr;
  }
  m->path_ = osPath;
  return m;
}

ComPtr<IDispatch> PluginModule::Driver(std::int32_t kind) const {
  IDispatch* d = nullptr;
  if (FAILED(getDriver_(kind, &d))) return {};
  return ComPtr<IDispatch>::Adopt(d);
}

std::int32_t PluginModule::DriverCount() const {
  std::int32_t n = 0;
  return SUCCEEDED(count_(&n)) ? n : 0;
}

std::string DefaultModulePath() {
  if (const char* env = std::getenv("S4_MODULE"); env && *env) return env;
  std::string self = ThisProgramOsPath();
#if defined(_WIN32)
  const auto slash = self.find_last_of("\\/");
#else
  const auto slash = self.find_last_of('/');
#endif
  return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + "Device_Stratix4.VIR";
}

}  // namespace s4::sim
