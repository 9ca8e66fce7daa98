// Walking every pin of every pin set through Invoke, as a host filling a pin list does: one
// driver per device package, every pin's number, bank, ids, the flags and the standards.
// Reports the static size of the generated pin tables as a counter.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "devicedata/device_tables.h"
#include "devicedata/pin_tables.h"
#include "platform/dispatch_call.h"
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

// One kind per device package (the first kind of each).
std::vector<s4::ComPtr<IDispatch>> OneDriverPerPinSet() {
  std::vector<s4::ComPtr<IDispatch>> drivers(s4::kPinSetCount);
  for (const auto& row : s4::kDeviceTable)
    if (!drivers[row.PinSet]) drivers[row.PinSet] = Module().Driver(row.Kind);
  return drivers;
}

IDispatch* Pin(IDispatch* driver, std::int32_t index) {
  s4::Variant arg(index);
  auto r = s4::CallDispatch(driver, 503411, std::span<const s4::Variant>(&arg, 1));
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}

// Every pin, the questions a pin list asks of each: number, bank, differential ids, the
// three kind flags it shows and the standard count.
void BM_WalkEveryPinOfEveryPinSet(benchmark::State& state) {
  auto drivers = OneDriverPerPinSet();
  std::int64_t pins = 0;
  for (auto _ : state) {
    for (auto& d : drivers) {
      const std::int32_t n = s4::CallDispatch(d.get(), 503409).value.raw().lVal;
      for (std::int32_t i = 0; i < n; ++i) {
        IDispatch* pin = Pin(d.get(), i);
        for (DISPID id : {503525, 503526, 503545, 503546, 503527, 503536, 503548, 503531}) {
          auto r = s4::CallDispatch(pin, id);
          benchmark::DoNotOptimize(r);
        }
      }
      pins += n;
    }
  }
  state.SetItemsProcessed(pins);
  state.counters["pins"] = static_cast<double>(s4::pintables::kPinCount);
  state.counters["table_bytes"] = static_cast<double>(s4::pintables::TableBytes());
}
BENCHMARK(BM_WalkEveryPinOfEveryPinSet)->Unit(benchmark::kMillisecond);

// The first pin request of a driver makes all its pin objects: the cost of a fresh driver's
// first GetDevicePin for the largest set (1932 pins).
void BM_FirstPinRequestOfAFreshDriver(benchmark::State& state) {
  for (auto _ : state) {
    auto d = Module().Driver(483);  // EP4S100G5F45C..N, 1932 pins; drivers are never freed
    benchmark::DoNotOptimize(Pin(d.get(), 0));
  }
}
BENCHMARK(BM_FirstPinRequestOfAFreshDriver)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
