// Sample blocks made by the tester's compressor, carried as tag 0x19 through the real record
// decoder, must give back exactly the samples that went in.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "ResultTestSupport.h"
#include "SampleSequences.h"
#include "results/DexalResult.h"
#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"

namespace Dexal {
namespace {

using testing::Samples;

// The five classes that carry a pulse.
constexpr std::uint8_t kPulseTypes[] = {0x10, 0x11, 0x12, 0x20, 0x30};

const DexalProfile* ProfileOf(const DexalResult& record) {
  if (const auto* r = dynamic_cast<const DexalDefibPulseTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalDefibChargeTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalDefibSynchTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalAEDPulseTest*>(&record)) return r->profile.get();
  if (const auto* r = dynamic_cast<const DexalPacerPulseTest*>(&record)) return r->profile.get();
  return nullptr;
}

// The samples the decoder finds in a result of that type whose data segment carries the block.
Samples DecodedSamples(std::uint8_t testType, const ByteVector& block) {
  const ByteVector data = SegmentWriter()
                              .Word(0x13, 32768)
                              .Float(0x14, 0.1f)
                              .Float(0x16, 50.0f)
                              .Bytes(0x19, block)
                              .Data();
  const DexalCmdResultData result = testing::ResultData(testing::CriteriaOfType(testType), data);
  const std::unique_ptr<DexalResult> record = testing::Decode(result);
  const DexalProfile* profile = ProfileOf(*record);
  if (profile == nullptr) throw std::logic_error("no profile");
  if (profile->sampleCount != profile->samples.size()) throw std::logic_error("count differs");
  return profile->samples;
}

struct Sequence {
  const char* name;
  Samples samples;
};

std::ostream& operator<<(std::ostream& out, const Sequence& sequence) {
  return out << sequence.name << " of " << sequence.samples.size();
}

// Every kind of sequence at the shortest, the longest and a few lengths between.
std::vector<Sequence> Sequences(std::mt19937& rng) {
  std::vector<Sequence> out;
  for (std::size_t n : {std::size_t{10}, std::size_t{11}, std::size_t{257}, std::size_t{4097},
                        std::size_t{31250}}) {
    out.push_back({"small walk", testing::RandomWalk(rng, n, 7)});
    out.push_back({"medium walk", testing::RandomWalk(rng, n, 900)});
    out.push_back({"large walk", testing::RandomWalk(rng, n, 40000)});
    out.push_back({"plateaus", testing::Plateaus(rng, n)});
    out.push_back({"edges", testing::Edges(rng, n)});
    out.push_back({"zeros", Samples(n, 0)});
    out.push_back({"full scale", Samples(n, 0xFFFF)});
  }
  // Falling segments: the decoder's division truncates toward zero, so a fall of 2 over 3
  // samples gives 10, 10, 8 and cannot hold 10, 9, 8.
  out.push_back({"falling", Samples{10, 10, 9, 8, 8, 8, 8, 8, 8, 8}});
  out.push_back({"extremes", Samples{0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF}});
  out.push_back({"jumps", Samples{5, 40000, 3, 32768, 32767, 0, 9, 9, 9, 65000}});
  out.push_back({"zigzag", Samples{0, 30000, 0, 30000, 0, 30000, 0, 30000, 0, 30000}});
  // A constant run of exactly 4096 takes the "0 means 16^w" run length.
  out.push_back({"run of 4096", Samples(4097, 1234)});
  const PulseCalibration defib;  // mid-scale offset, 0.1 V a count, 50 ohms
  const PulseCalibration lowOffset{2048, 0.1f, 50.0f};
  const PulseCalibration pacer{100, 0.001f, 50.0f};
  out.push_back({"biphasic", testing::WithNoise(rng, BiphasicDefibPulse(200.0, defib), 3)});
  out.push_back({"biphasic clean", BiphasicDefibPulse(360.0, defib)});
  out.push_back({"monophasic", testing::WithNoise(rng, MonophasicDefibPulse(360.0, lowOffset), 2)});
  out.push_back({"monophasic quiet", MonophasicDefibPulse(2.0, defib)});
  out.push_back({"pacer", testing::WithNoise(rng, PacerPulse(20.0, 70.0, pacer), 1)});
  out.push_back({"pacer short", PacerPulse(0.5, 14.0, defib, 3000)});
  return out;
}

TEST(SampleRoundTrip, EveryModeThatHoldsASequenceDecodesToIt) {
  std::mt19937 rng(20121);
  int perMode[4] = {};
  int type = 0;
  for (const Sequence& sequence : Sequences(rng)) {
    const std::size_t smallest = CompressSmallest(sequence.samples).size();
    for (SampleMode mode : {SampleMode::Zeros, SampleMode::FirstDifference,
                            SampleMode::SecondDifference, SampleMode::Interpolated}) {
      const std::optional<ByteVector> block = CompressSamples(sequence.samples, mode);
      if (!block) continue;
      const std::uint8_t testType = kPulseTypes[type++ % 5];
      EXPECT_EQ(DecodedSamples(testType, *block), sequence.samples)
          << sequence << " mode " << static_cast<int>(mode);
      EXPECT_LE(smallest, block->size()) << sequence << " mode " << static_cast<int>(mode);
      ++perMode[static_cast<int>(mode)];
    }
    // Mode 1 steps modulo 16 bits, so it holds every sequence.
    EXPECT_TRUE(CompressSamples(sequence.samples, SampleMode::FirstDifference)) << sequence;
  }
  // Only the all-zero sequences fit mode 0; modes 2 and 3 hold the smoother ones.
  EXPECT_EQ(perMode[0], 5);
  EXPECT_GE(perMode[2], 20);
  EXPECT_GE(perMode[3], 20);
}

TEST(SampleRoundTrip, SmallestBlockDecodesToItsSamples) {
  std::mt19937 rng(77);
  for (const Sequence& sequence : Sequences(rng)) {
    const ByteVector block = CompressSmallest(sequence.samples);
    ASSERT_FALSE(block.empty()) << sequence;
    EXPECT_EQ(DecodedSamples(0x10, block), sequence.samples) << sequence;
  }
}

TEST(SampleRoundTrip, BlockOver32KiBDecodesInFull) {
  std::mt19937 rng(5);
  // Noise of thousands of counts on a pulse needs four-nibble differences.
  const Samples noisy =
      testing::WithNoise(rng, BiphasicDefibPulse(200.0, PulseCalibration{}), 6000);
  const std::optional<ByteVector> block = CompressSamples(noisy, SampleMode::FirstDifference);
  ASSERT_TRUE(block);
  ASSERT_GT(block->size(), 32768u);
  const Samples decoded = DecodedSamples(0x20, *block);
  ASSERT_EQ(decoded.size(), noisy.size());
  // Compared in full, and at the far end where a 16-bit cursor would have wrapped.
  EXPECT_EQ(decoded, noisy);
  EXPECT_EQ(decoded.back(), noisy.back());
}

TEST(SampleRoundTrip, BytesAfterTheLastGroupAreIgnored) {
  std::mt19937 rng(11);
  for (int i = 0; i < 20; ++i) {
    const Samples samples = testing::RandomWalk(rng, static_cast<std::size_t>(10 + i * 37), 300);
    ByteVector block = CompressSmallest(samples);
    const int extra = testing::Uniform(rng, 1, 9);
    for (int j = 0; j < extra; ++j) block.push_back(static_cast<std::uint8_t>(rng()));
    EXPECT_EQ(DecodedSamples(0x30, block), samples) << i;
  }
}

TEST(SampleRoundTrip, TruncatedBlocksFailAsSubscriptErrors) {
  std::mt19937 rng(3);
  for (SampleMode mode :
       {SampleMode::FirstDifference, SampleMode::SecondDifference, SampleMode::Interpolated}) {
    const Samples samples = testing::RandomWalk(rng, 60, 40);
    const std::optional<ByteVector> block = CompressSamples(samples, mode);
    ASSERT_TRUE(block);
    // Every cut loses at least one nibble that a group needs.
    for (std::size_t cut = 0; cut < block->size(); ++cut) {
      const ByteVector shorter(block->begin(), block->begin() + static_cast<std::ptrdiff_t>(cut));
      const ByteVector data = SegmentWriter().Float(0x16, 50.0f).Bytes(0x19, shorter).Data();
      const DexalCmdResultData result = testing::ResultData(testing::CriteriaOfType(0x10), data);
      EXPECT_EQ(testing::DecodeError(result), "invalid vector<T> subscript")
          << static_cast<int>(mode) << " cut " << cut;
    }
  }
}

TEST(SampleRoundTrip, CountsOutsideTheRangeGiveNoSamples) {
  // Valid blocks of 9 and 31251 samples: the count alone makes them unusable.
  for (std::size_t n : {std::size_t{9}, std::size_t{31251}, std::size_t{65535}}) {
    const std::optional<ByteVector> block =
        CompressSamples(Samples(n, 1234), SampleMode::FirstDifference);
    ASSERT_TRUE(block) << n;
    const ByteVector data = SegmentWriter().Float(0x16, 50.0f).Bytes(0x19, *block).Data();
    const DexalCmdResultData result = testing::ResultData(testing::CriteriaOfType(0x11), data);
    EXPECT_EQ(testing::DecodeError(result), "Sample Count zero when setting profile data") << n;
  }
}

}  // namespace
}  // namespace Dexal
