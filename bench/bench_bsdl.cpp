// The built-in boundary-scan entity of the largest packages, built the way GetBSDLEntity
// builds it, beside reading the same description as BSDL text with our reader and with the
// UrJTAG library.
#include <benchmark/benchmark.h>

#include <time.h>

#include <fstream>
#include <sstream>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
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

// What a user's file costs: read from the file and validated.
void BM_ReadAndValidateBSDLFile(benchmark::State& state) {
  const std::size_t record = kRecords[state.range(0)];
  const std::string path = SourcePath(record);
  for (auto _ : state) {
    const bsdl::Description d = bsdl::ReadFile(path);
    benchmark::DoNotOptimize(bsdl::Validate(d).size());
  }
  Label(state, record);
}
BENCHMARK(BM_ReadAndValidateBSDLFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Both readers on the same file in every iteration, each timed by the thread's CPU clock, so
// that the load of the machine falls on both alike: urjtag_over_ours is how many times faster
// our reader and validator are than UrJTAG's syntax check.
void BM_OursAgainstUrjtag(benchmark::State& state) {
  const std::size_t record = kRecords[state.range(0)];
  if (!bsdl_check::UrjtagAvailable()) {
    state.SkipWithError("UrJTAG not installed (liburjtag-dev, urjtag)");
    return;
  }
  const std::string path = SourcePath(record);
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    {
      const bsdl::Description d = bsdl::ReadFile(path);
      benchmark::DoNotOptimize(bsdl::Validate(d).size());
    }
    const double t1 = ThreadSeconds();
    benchmark::DoNotOptimize(bsdl_check::UrjtagAccepts(path));
    const double t2 = ThreadSeconds();
    ours += t1 - t0;
    theirs += t2 - t1;
  }
  Label(state, record);
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = ours / n * 1e3;
  state.counters["urjtag_ms"] = theirs / n * 1e3;
  state.counters["urjtag_over_ours"] = ours > 0 ? theirs / ours : 0;
}
BENCHMARK(BM_OursAgainstUrjtag)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A boundary register of N one-cell literals joined by "&", read and validated. The cost must
// grow in proportion to N: the fitted complexity (the _BigO line) reads "N", or "NlgN" from the
// validator's sort of the cell numbers. A reader that searched the literals for each item's
// line, or copied the text per literal, fits N^2 (160,000 literals once took 20 s).
void BM_ReadManyLiterals(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  std::string text =
      "entity MANY is\n  port (TDI, TMS, TCK : in bit; TDO : out bit);\n  use STD_1149_1_2001.all;\n"
      "  attribute INSTRUCTION_LENGTH of MANY : entity is 2;\n"
      "  attribute INSTRUCTION_OPCODE of MANY : entity is \"BYPASS (11)\";\n"
      "  attribute BOUNDARY_LENGTH of MANY : entity is " + std::to_string(n) + ";\n"
      "  attribute BOUNDARY_REGISTER of MANY : entity is\n";
  for (int i = 0; i < n; ++i)
    text += "    \"" + std::to_string(i) + " (BC_1, *, internal, X)" + (i + 1 < n ? ",\" &\n" : "\";\n");
  text += "end MANY;\n";
  for (auto _ : state) {
    const bsdl::Description d = bsdl::Read(text, "many.bsd");
    benchmark::DoNotOptimize(bsdl::Validate(d).size());
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ReadManyLiterals)->RangeMultiplier(2)->Range(10000, 160000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
