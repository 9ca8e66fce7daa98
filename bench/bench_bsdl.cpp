// The built-in boundary-scan entity of the largest packages, built the way GetBSDLEntity
// builds it, beside reading the same description as BSDL text with our reader and with the
// UrJTAG library.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/builtin_entity.h"
#include "boundaryscan/builtin_records.h"
#include "driver/device_stratix4_driver.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"
#include "tools/bsdl_urjtag_check.h"

namespace {

using namespace s4;

// EP4SE820F43: 3402 cells, 1760 pins; EP4SGX290NF45: 1932 pins, 2970 cells.
constexpr std::size_t kRecords[] = {37, 18};

std::string SourcePath(std::size_t record) {
  return std::string(S4_SOURCE_DIR) + "/boundaryscan/data/" + Utf16ToUtf8(builtin::String(builtin::Records()[record].filename));
}

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void Label(benchmark::State& state, std::size_t record) {
  const builtin::BSDLRecord& r = builtin::Records()[record];
  state.SetLabel(Utf16ToUtf8(builtin::String(r.name)) + " " + std::to_string(r.pinCount) + " pins " +
                 std::to_string(r.cellCount) + " cells");
}

// The build step of GetBSDLEntity: fresh look-up lists, every object found or made.
void BM_BuildBuiltInEntity(benchmark::State& state) {
  const std::size_t record = kRecords[state.range(0)];
  for (auto _ : state) {
    NamedObjectList<void*> pins, cells, mappings, ops, regs;
    Owned<TBSDLEntity> e = BuildBuiltInEntity(record, {pins, cells, mappings, ops, regs});
    benchmark::DoNotOptimize(e.get());
  }
  Label(state, record);
  state.counters["records_static_bytes"] = static_cast<double>(builtin::StaticSize());
}
BENCHMARK(BM_BuildBuiltInEntity)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A driver that the benchmark may free (the host never frees one).
struct BenchDriver : TDevice_Stratix4Driver {
  using TDevice_Stratix4Driver::TDevice_Stratix4Driver;
  ~BenchDriver() override = default;
};

std::int32_t KindOf(std::size_t record) {
  const std::u16string_view file = builtin::String(builtin::Records()[record].filename);
  for (std::int32_t k = 0; k < 486; ++k) {
    BenchDriver d(k);
    if (d.GetBSDLFilename() == file) return k;
  }
  return 0;
}

// The whole request as the host makes it: a new driver, GetBSDLEntity through Invoke.
void BM_GetBSDLEntityThroughInvoke(benchmark::State& state) {
  const std::size_t record = kRecords[state.range(0)];
  const std::int32_t kind = KindOf(record);
  for (auto _ : state) {
    BenchDriver driver(kind);
    const CallResult r = CallDispatch(static_cast<IDispatch*>(&driver), dispid::DeviceInformation::GetBSDLEntity);
    benchmark::DoNotOptimize(r.value.raw().pdispVal);
  }
  Label(state, record);
}
BENCHMARK(BM_GetBSDLEntityThroughInvoke)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ReadBSDLText(benchmark::State& state) {
  const std::size_t record = kRecords[state.range(0)];
  const std::string text = Slurp(SourcePath(record));
  for (auto _ : state) {
    bsdl::Description d = bsdl::Read(text, "bench.bsd");
    benchmark::DoNotOptimize(d.cells.data());
  }
  Label(state, record);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadBSDLText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_UrjtagReadBSDLFile(benchmark::State& state) {
  const std::size_t record = kRecords[state.range(0)];
  if (!bsdl_check::UrjtagAvailable()) {
    state.SkipWithError("UrJTAG not installed (liburjtag-dev, urjtag)");
    return;
  }
  const std::string path = SourcePath(record);
  for (auto _ : state) benchmark::DoNotOptimize(bsdl_check::UrjtagAccepts(path));
  Label(state, record);
}
BENCHMARK(BM_UrjtagReadBSDLFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
