// Writing the driver's programming sequence as SVF (what s4host svf does).
//
//   BM_SvfOfLargestFile: ProgramDevice and the CONF_DONE read for a file of the largest device's
//     size (241.7 Mbit) through the recording channel, written to a file on disk. cpu_s is the
//     thread's CPU time for the whole recording, the module's waits included (it busy-waits
//     1.04 s, yielding); max_rss_MB is the process's peak memory, to compare with file_MB.
//   BM_SvfWriterPerBit: the writer alone, 64 Mbit of one data scan clocked in and written out:
//     our share of the cost per bit, without the module and its five pin calls per bit.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
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
#include "simhost/plugin_module.h"
#include "simhost/sim_dispatch.h"
#include "simhost/sim_host.h"
#include "simhost/svf_channel.h"

namespace {

using namespace s4;

double ThreadCpu() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double MaxRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

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

std::filesystem::path TempPath(const std::string& ext) {
  return std::filesystem::temp_directory_path() / ("s4_bench_svf_" + std::to_string(::getpid()) + ext);
}

void BM_SvfOfLargestFile(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) / 8;
  const auto rbf = TempPath(".rbf"), svf = TempPath(".svf");
  {
    std::vector<char> data(bytes);
    std::mt19937 random(1);
    for (auto& b : data) b = static_cast<char>(random());
    std::ofstream(rbf, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
  }
  sim::SimHost::Configure({});
  // Kind 0's driver; the sequence does not depend on the kind beyond the CONF_DONE position.
  auto driver = Module().Driver(0);
  const Variant name(std::u16string_view(ToHostPath(rbf.string())));
  double wall = 0;
  std::uint64_t svfBytes = 0;
  for (auto _ : state) {
    std::ofstream out(svf, std::ios::binary | std::ios::trunc);
    auto channel = sim::SvfChannel::Make(out, {{10}, 0});
    auto device = sim::SimObject::Make("device");
    device->Answer(hostid::IDispVireoDevice::GetChainPosition, Variant(std::int32_t(0)));
    device->Answer(hostid::IDispVireoDevice::GetJTagChannel, Variant::Dispatch(channel->dispatch()));
    CallDispatch(driver.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(device->dispatch())});
    const double cpu0 = ThreadCpu();
    const auto start = std::chrono::steady_clock::now();
    const CallResult r = CallDispatch(driver.get(), dispid::VireoDriver::ProgramDevice, {name});
    channel->Expect({true, std::nullopt});
    const CallResult s = CallDispatch(driver.get(), dispid::VireoDriver::GetDeviceState);
    channel->Finish();
    out.close();
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(ThreadCpu() - cpu0);
    if (!r.ok() || r.value.raw().lVal != static_cast<std::int32_t>(8 * bytes) || !s.ok())
      state.SkipWithError("recording failed");
    svfBytes = channel->writer().Stats().bytes;
    CallDispatch(driver.get(), dispid::VireoDriver::SetVireoDevice, {Variant::Dispatch(nullptr)});
  }
  state.counters["wall_s"] = wall / static_cast<double>(state.iterations());
  state.counters["file_MB"] = static_cast<double>(bytes) / (1 << 20);
  state.counters["svf_MB"] = static_cast<double>(svfBytes) / (1 << 20);
  state.counters["max_rss_MB"] = MaxRssMb();
  std::filesystem::remove(rbf);
  std::filesystem::remove(svf);
}
BENCHMARK(BM_SvfOfLargestFile)->Arg(241700000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SvfWriterPerBit(benchmark::State& state) {
  const std::uint64_t bits = 64u << 20;
  const auto svf = TempPath(".svf");
  for (auto _ : state) {
    std::ofstream out(svf, std::ios::binary | std::ios::trunc);
    sim::SvfWriter writer(out, {{10}, 0});
    const double cpu0 = ThreadCpu();
    for (int k = 0; k < 5; ++k) writer.Clock(true, false);  // reset
    for (bool tms : {false, true, false, false}) writer.Clock(tms, false);  // to Shift-DR
    std::uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::uint64_t i = 0; i < bits; ++i) {
      if ((i & 63) == 0) x = x * 6364136223846793005ull + 1442695040888963407ull;
      writer.Clock(i + 1 == bits, ((x >> (i & 63)) & 1u) != 0);
    }
    writer.Clock(true, false);
    writer.Clock(false, false);
    writer.Finish();
    state.SetIterationTime(ThreadCpu() - cpu0);
  }
  state.counters["per_bit"] = benchmark::Counter(static_cast<double>(bits) * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  std::filesystem::remove(svf);
}
BENCHMARK(BM_SvfWriterPerBit)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
