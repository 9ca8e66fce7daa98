// ProgramDevice through the module, as the host calls it.
//
//   BM_ProgramModuleCost: the channel's pin-level interface does nothing, so the time is the
//     module's own work per bit (its loop and its calls into the interface). Each iteration
//     also times the five bare pin-level calls per bit for as many bits into the same
//     interface, right after the module's run, and reports floor_per_bit and ratio (module /
//     floor): on a loaded machine only figures of one run compare. The aim is a ratio of at
//     most 1.3. The cable is the physical limit: 41.7 ns per bit at 24 MHz.
//   BM_FivePinCallsPerBit: the same interface calls alone, the floor of the module's cost.
//   BM_ProgramSimulatedLargest: a file of the largest device's size (241.7 Mbit) into the
//     simulated chain.
//
// The manual time is the calling thread's CPU time from the module's first pin-level call to the
// channel's Close, so the fixed waits of the sequence (1040 ms) are left out; wall_s is the
// whole call by the wall clock, waits included.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

#include "driver/dispids.h"
#include "host/host_dispids.h"
#include "platform/dispatch_call.h"
#include "platform/path.h"
#include "simhost/jtag_pins.h"
#include "simhost/plugin_module.h"
#include "simhost/sim_dispatch.h"
#include "simhost/sim_host.h"
#include "simhost/sim_jtag_channel.h"

namespace {

using namespace s4;
// The module runs on the calling thread, so the thread's CPU time is its cost; a wall clock
// would also count whatever else the machine is doing.
struct Clock {
  using time_point = std::chrono::duration<double>;
  static time_point now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9);
  }
};
using Wall = std::chrono::steady_clock;

// Marks when the module starts bit-banging and when it closes the channel.
struct Stopwatch {
  Clock::time_point first{}, close{};
  bool started = false;
  void Pin() {
    if (!started) {
      started = true;
      first = Clock::now();
    }
  }
};

// A channel whose every operation succeeds and does nothing.
class NullChannel final : public IDispatch, public sim::IJTagPinAccess {
 public:
  explicit NullChannel(Stopwatch& w) : watch_(w) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
      *out = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, sim::IID_IJTagPinAccess))
      *out = static_cast<sim::IJTagPinAccess*>(this);
    else
      return *out = nullptr, E_NOINTERFACE;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (id == hostid::IDispJTagChannel::Close) watch_.close = Clock::now();
    if (result) {
      VariantInit(result);
      result->vt = VT_I4;
      result->lVal = 1;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTCK(bool*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTMS(bool*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTCK(bool) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTDI(bool*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTDI(bool) override {
    watch_.Pin();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetTMS(bool) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTRST(bool*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetTDO(bool* l) override {
    *l = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetTRST(bool) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetLineCount(int*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Sample() override { return S_OK; }

 private:
  Stopwatch& watch_;
};

const sim::PluginModule& Module() {
  static auto m = [] {
    std::string error;
    auto loaded = sim::PluginModule::Load(S4_MODULE_PATH, &error);
    if (!loaded) {
      std::fprintf(stderr, "cannot load %s: %s\n", S4_MODULE_PATH, error.c_str());
      std::abort();
    }
    return loaded;
  }();
  return *m;
}

std::string MakeFile(std::size_t bytes) {
  const auto path = std::filesystem::temp_directory_path() / ("s4_bench_" + std::to_string(::getpid()) + ".rbf");
  std::vector<char> data(bytes);
  std::mt19937 random(1);
  for (auto& b : data) b = static_cast<char>(random());
  std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
  return path.string();
}

// The floor: the five pin-level calls a data bit costs (SetTCK, SetTDI, Apply, SetTCK, Apply)
// for `bits` bits, with nothing else around them; the thread's CPU seconds.
[[gnu::noinline]] double FivePinCalls(sim::IJTagPinAccess* pins, std::size_t bits) {
  benchmark::DoNotOptimize(pins);
  const auto start = Clock::now();
  HRESULT all = S_OK;
  for (std::size_t i = 0; i < bits; ++i) {
    all |= pins->SetTCK(false);
    all |= pins->SetTDI((i & 1) != 0);
    all |= pins->Apply();
    all |= pins->SetTCK(true);
    all |= pins->Apply();
  }
  benchmark::DoNotOptimize(all);
  return (Clock::now() - start).count();
}

sim::IJTagPinAccess* PinsOf(IDispatch* channel) {
  void* raw = nullptr;
  channel->QueryInterface(sim::IID_IJTagPinAccess, &raw);
  return static_cast<sim::IJTagPinAccess*>(raw);
}

// Runs ProgramDevice on a driver attached to a host device whose channel is `channel`. With
// `floor`, each iteration also times the bare pin calls for the same bits through it.
void Program(benchmark::State& state, IDispatch* channel, Stopwatch& watch, const std::string& file,
             std::size_t bytes, sim::IJTagPinAccess* floor = nullptr) {
  sim::SimHost::Configure({});
  auto device = sim::SimObject::Make("device");
  device->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::int32_t(0)));
  device->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(channel));
  auto driver = Module().Driver(0);
  CallDispatch(driver.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(device->dispatch())});
  const Variant name(std::u16string_view(ToHostPath(file)));
  const double bits = 8.0 * static_cast<double>(bytes);
  double wall = 0, module = 0, bare = 0;
  for (auto _ : state) {
    watch = {};
    const auto start = Wall::now();
    const CallResult r = CallDispatch(driver.get(), dispid::VireoDriver::ProgramDevice, {name});
    wall += std::chrono::duration<double>(Wall::now() - start).count();
    if (!r.ok() || r.value.raw().lVal != static_cast<std::int32_t>(8 * bytes)) state.SkipWithError("ProgramDevice failed");
    const double seconds = std::chrono::duration<double>(watch.close - watch.first).count();
    state.SetIterationTime(seconds);
    module += seconds;
    if (floor) bare += FivePinCalls(floor, 8 * bytes);
  }
  CallDispatch(driver.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(nullptr)});
  if (floor && bare > 0) {
    const double n = bits * static_cast<double>(state.iterations());
    state.counters["floor_per_bit"] = benchmark::Counter(bare * 1e9 / n);  // ns
    state.counters["ratio"] = benchmark::Counter(module / bare);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(bits) * state.iterations());
  state.counters["per_bit"] = benchmark::Counter(bits * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["wall_s"] = wall / static_cast<double>(state.iterations());
}

void BM_ProgramModuleCost(benchmark::State& state) {
  const auto bytes = static_cast<std::size_t>(state.range(0));
  const std::string file = MakeFile(bytes);
  Stopwatch watch;
  NullChannel channel(watch);
  Program(state, &channel, watch, file, bytes, PinsOf(&channel));
  std::filesystem::remove(file);
}
BENCHMARK(BM_ProgramModuleCost)->Arg(16 << 20)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The floor under BM_ProgramModuleCost on its own: the five pin-level calls each bit costs into
// the same do-nothing interface.
void BM_FivePinCallsPerBit(benchmark::State& state) {
  Stopwatch watch;
  NullChannel channel(watch);
  sim::IJTagPinAccess* pins = PinsOf(&channel);
  const std::size_t bits = 8u << 20;
  for (auto _ : state) state.SetIterationTime(FivePinCalls(pins, bits));
  state.counters["per_bit"] = benchmark::Counter(static_cast<double>(bits) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FivePinCallsPerBit)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_ProgramSimulatedLargest(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) / 8;
  const std::string file = MakeFile(bytes);
  sim::JtagChain chain;
  auto& fpga = chain.Add(std::make_unique<sim::FamilyDevice>(sim::FamilyDeviceSpec::ForBaseName("EP4SGX530N", 1)));
  auto channel = sim::SimJtagChannel::Make(std::make_unique<sim::ChainCable>(chain), {10});
  // A thin wrapper around the simulated channel marks the start and the end.
  Stopwatch watch;
  struct Timed final : IDispatch {
    sim::SimJtagChannel& inner;
    Stopwatch& w;
    Timed(sim::SimJtagChannel& c, Stopwatch& s) : inner(c), w(s) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
      if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *out = static_cast<IDispatch*>(this);
        return S_OK;
      }
      return inner.QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID l, WORD f, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e,
                                     UINT* a) override {
      // Programming proper starts with PROGRAM's 1000 ms wait behind it: time from the move
      // into Shift-DR that follows it.
      if (id == hostid::IDispJTagChannel::MoveState && !w.started) {
        w.started = true;
        w.first = Clock::now();
      }
      const HRESULT hr = inner.Invoke(id, riid, l, f, p, r, e, a);
      if (id == hostid::IDispJTagChannel::Close) w.close = Clock::now();
      return hr;
    }
  } timed(*channel.get(), watch);
  Program(state, &timed, watch, file, bytes);
  // Outside the timed part: the device must hold exactly the file after the 175 clocks.
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> sent{std::istreambuf_iterator<char>(in), {}};
  if (!fpga.Received().HoldsBytesAt(175, sent)) state.SkipWithError("the simulated device did not receive the file");
  state.counters["received_Mbit"] = static_cast<double>(fpga.Received().size()) / 1e6;
  std::filesystem::remove(file);
}
BENCHMARK(BM_ProgramSimulatedLargest)->Arg(241700000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
