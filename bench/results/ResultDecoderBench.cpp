// Decoding a full 125 ms capture against the time its block takes on the wire: "wire/decode"
// is how many times faster the decoder is than the serial line delivers the bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>

#include "link/DexalCmd.h"
#include "results/CreateResult.h"
#include "results/DexalResultDecoder.h"
#include "results/SampleDecoder.h"
#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"
#include "tester/SegmentWriter.h"

namespace Dexal {
namespace {

constexpr double kBaud = 921600.0;
constexpr double kBitsPerByte = 10.0;  // start, eight data bits, stop

using Clock = std::chrono::steady_clock;

double WireSeconds(std::size_t bytes) { return static_cast<double>(bytes) * kBitsPerByte / kBaud; }

// The wire time of the bytes over the mean decode time of one iteration.
void ReportWireRatio(benchmark::State& state, std::size_t bytes, Clock::duration spent) {
  const double perIteration =
      std::chrono::duration<double>(spent).count() / static_cast<double>(state.iterations());
  state.counters["block bytes"] = static_cast<double>(bytes);
  state.counters["wire ms"] = WireSeconds(bytes) * 1000.0;
  state.counters["wire/decode"] = WireSeconds(bytes) / perIteration;
}

const PulseCalibration kCalibration;

// Arg 0: the smallest block of a clean 200 J biphasic pulse, as the tester would send it.
// Arg 1: the same pulse with noise of thousands of counts, as four-nibble first differences.
ByteVector PulseBlock(std::int64_t kind) {
  std::vector<std::uint16_t> samples = BiphasicDefibPulse(200.0, kCalibration);
  if (kind == 0) return CompressSmallest(samples);
  std::uint32_t noise = 12345;
  for (std::uint16_t& s : samples) {
    noise = noise * 1103515245u + 12345u;
    const int offset = static_cast<int>((noise >> 16) % 8001) - 4000;
    s = static_cast<std::uint16_t>(std::min(65535, std::max(0, s + offset)));
  }
  std::optional<ByteVector> block = CompressSamples(samples, SampleMode::FirstDifference);
  if (!block) throw std::logic_error("mode 1 holds every pulse");
  return *block;
}

void BM_DecodeAndAnalysePulse(benchmark::State& state) {
  const ByteVector block = PulseBlock(state.range(0));
  const auto length = static_cast<std::uint32_t>(block.size());
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    std::optional<SampleArray> samples = SamplesFromVector(block, 0, length);
    DexalProfile profile(kCalibration.sampleOffset, kCalibration.voltsPerCount,
                         kCalibration.loadOhms);
    SetProfileData(profile, std::move(*samples));
    benchmark::DoNotOptimize(profile.energy);
  }
  ReportWireRatio(state, block.size(), Clock::now() - start);
}
BENCHMARK(BM_DecodeAndAnalysePulse)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The whole Defib Pulse record: criteria, calibration, comment and the pulse.
void BM_DecodeDefibPulseRecord(benchmark::State& state) {
  DexalCmdResultData data(nullptr, "T100");
  data.criteriaSegment = SegmentWriter()
                             .String(1, "ICU-3")
                             .String(2, "Dexal")
                             .String(3, "DX-200")
                             .String(4, "SN-0042")
                             .DateTime(5, {2012, 6, 15, 14, 30, 0})
                             .Byte(6, 0x10)
                             .Byte(7, 1)
                             .Data();
  data.dataSegment = SegmentWriter()
                         .String(0x11, "monthly check")
                         .Word(0x13, kCalibration.sampleOffset)
                         .Float(0x14, kCalibration.voltsPerCount)
                         .Word(0x15, 50)
                         .Float(0x16, kCalibration.loadOhms)
                         .Bytes(0x19, PulseBlock(state.range(0)))
                         .Data();
  DexalResultDecoder decoder;
  const Clock::time_point start = Clock::now();
  for (auto _ : state) {
    std::unique_ptr<DexalResult> record = CreateResult(&data);
    benchmark::DoNotOptimize(record->accept(decoder));
  }
  // The result block: both segments and their two CRCs.
  ReportWireRatio(state, data.criteriaSegment.size() + data.dataSegment.size() + 8,
                  Clock::now() - start);
}
BENCHMARK(BM_DecodeDefibPulseRecord)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace Dexal

BENCHMARK_MAIN();
