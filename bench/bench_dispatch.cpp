// The cost of Invoke at the module boundary, beside a direct virtual call of the same
// operation, so the dispatch overhead reads as a ratio.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "driver/device_stratix4_driver.h"
#include "platform/variant.h"
#include "simhost/plugin_module.h"

namespace {

const s4::sim::PluginModule& Module() {
  static auto m = [] {
    std::string error;
    auto loaded = s4::sim::PluginModule::Load(S4_MODULE_PATH, &error);
    if (!loaded) {
      std::fprintf(stderr, "cannot load %s: %s\n", S4_MODULE_PATH, error.c_str());
      std::exit(1);
    }
    return loaded;
  }();
  return *m;
}

void InvokeLoop(benchmark::State& state, DISPID id, VARIANT* args, UINT count) {
  auto driver = Module().Driver(0);
  DISPPARAMS params{args, nullptr, count, 0};
  VARIANT result;
  VariantInit(&result);
  for (auto _ : state) {
    HRESULT hr = driver->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    benchmark::DoNotOptimize(hr);
    benchmark::DoNotOptimize(result);
  }
  VariantClear(&result);
}

void BM_Invoke_IntegerGetter(benchmark::State& state) { InvokeLoop(state, 503408 /* GetInstructionLength */, nullptr, 0); }

// Each call allocates the answer and frees the previous one, as a host that reuses its
// result VARIANT sees it.
void BM_Invoke_StringGetter(benchmark::State& state) { InvokeLoop(state, 503380 /* GetDeviceName */, nullptr, 0); }

void BM_Invoke_SupportsService(benchmark::State& state) {
  s4::Variant name(u"VireoDriver");
  VARIANT arg = name.raw();
  InvokeLoop(state, 1023, &arg, 1);
}

void BM_DirectVirtualCall_IntegerGetter(benchmark::State& state) {
  std::unique_ptr<s4::TVireoDriver> d(s4::TAbstractSupportService::Create<s4::TDevice_Stratix4Driver>(0));
  s4::TAbstractDeviceInformation* info = d.get();
  for (auto _ : state) {
    benchmark::DoNotOptimize(info);
    std::int32_t v = info->GetInstructionLength();
    benchmark::DoNotOptimize(v);
  }
}

}  // namespace

BENCHMARK(BM_Invoke_IntegerGetter);
BENCHMARK(BM_Invoke_StringGetter);
BENCHMARK(BM_Invoke_SupportsService);
BENCHMARK(BM_DirectVirtualCall_IntegerGetter);
BENCHMARK_MAIN();
