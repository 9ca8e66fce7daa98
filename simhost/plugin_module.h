// The module as a host sees it: loaded from its file, with its two exports resolved.
//
//   auto module = s4::sim::PluginModule::Load(path, &error);
//   s4::ComPtr<IDispatch> driver = module->Driver(0);
//   auto name = s4::CallDispatch(driver.get(), 503380);
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/com_ptr.h"
#include "platform/module.h"

namespace s4::sim {

using GetVireoDriverCountFn = HRESULT(STDAPICALLTYPE*)(std::int32_t* count);
using GetVireoDriverPluginFn = HRESULT(STDAPICALLTYPE*)(std::int32_t kind, IDispatch** driver);

class PluginModule {
 public:
  // Loads the module and resolves both exports; null with `error` set when either fails.
  // The module stays loaded for the rest of the process, as with a real host.
  static std::unique_ptr<PluginModule> Load(const std::string& osPath, std::string* error);

  HRESULT CallDriverCount(std::int32_t* count) const { return count_(count); }
  HRESULT CallGetDriver(std::int32_t kind, IDispatch** driver) const { return getDriver_(kind, driver); }

  // The driver of one kind; null outside 0..count-1 or when the call fails.
  ComPtr<IDispatch> Driver(std::int32_t kind) const;
  std::int32_t DriverCount() const;
  const std::string& path() const { return path_; }

 private:
  PluginModule() = default;
  std::unique_ptr<LoadedLibrary> lib_;
  GetVireoDriverCountFn count_ = nullptr;
  GetVireoDriverPluginFn getDriver_ = nullptr;
  std::string path_;
};

// Where the module is looked for when no path is given: $S4_MODULE, else the file
// "Device_Stratix4.VIR" beside the running program.
std::string DefaultModulePath();

}  // namespace s4::sim
