#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "csv/DexalCSVwriter.h"

namespace Dexal {
namespace {

// One Defib Pulse section with a 125 ms capture: 31250 graph lines.
void BM_DefibPulseSectionWithGraph(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "dexal-csv-bench.csv";
  DexalCmdResultData data(nullptr, "T100");
  DexalDefibPulseTest record(&data);
  record.testType = 0x10;
  record.loadOhms = 50.0f;
  record.profile = std::make_unique<DexalProfile>();
  constexpr int kPoints = 31250;
  record.profile->points.reserve(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    const double volts = 1800.0 * static_cast<double>((i * 7919) % 2000 - 1000) / 1000.0;
    record.profile->points.push_back({static_cast<double>(i) * 0.004, volts});
  }
  for (auto _ : state) {
    std::filesystem::remove(path);
    DexalCSVwriter writer(path.wstring(), true);
    benchmark::DoNotOptimize(record.accept(writer));
  }
  std::filesystem::remove(path);
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kPoints,
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DefibPulseSectionWithGraph)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace Dexal

BENCHMARK_MAIN();
