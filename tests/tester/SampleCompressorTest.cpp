// Blocks checked byte for byte against the block format; that every block decodes to its
// samples is shown by the round trip through the program's own decoder.
#include <gtest/gtest.h>

#include "tester/SampleCompressor.h"

namespace Dexal {
namespace {

TEST(SampleCompressor, ZerosModeIsTheHeaderAlone) {
  const std::vector<std::uint16_t> zeros(31250, 0);
  const auto block = CompressSamples(zeros, SampleMode::Zeros);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, (ByteVector{0x00, 0x7A, 0x12}));
  EXPECT_EQ(CompressSmallest(zeros), *block);
  EXPECT_FALSE(CompressSamples({0, 0, 1, 0, 0, 0, 0, 0, 0, 0}, SampleMode::Zeros));
}

TEST(SampleCompressor, RampInEachMode) {
  // 10 samples rising by one: mode 1, N 10, first sample 100, group h=0 (w 1, v 1), R 9.
  std::vector<std::uint16_t> ramp;
  for (std::uint16_t i = 0; i < 10; ++i) ramp.push_back(static_cast<std::uint16_t>(100 + i));
  const auto block = CompressSamples(ramp, SampleMode::FirstDifference);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, (ByteVector{0x01, 0x00, 0x0A, 0x00, 0x64, 0x09, 0x11, 0x11, 0x11, 0x11, 0x10}));
  // Second differences: one change of step of 1, then eight zeros, in the same one group.
  const auto second = CompressSamples(ramp, SampleMode::SecondDifference);
  ASSERT_TRUE(second);
  EXPECT_EQ(*second,
            (ByteVector{0x02, 0x00, 0x0A, 0x00, 0x64, 0x09, 0x10, 0x00, 0x00, 0x00, 0x00}));
  // Interpolated: one segment of 9 rising by 9.
  const auto interpolated = CompressSamples(ramp, SampleMode::Interpolated);
  ASSERT_TRUE(interpolated);
  EXPECT_EQ(*interpolated, (ByteVector{0x03, 0x00, 0x0A, 0x00, 0x64, 0x91, 0x20}));
  EXPECT_EQ(CompressSmallest(ramp), *interpolated);
}

TEST(SampleCompressor, ModesRefuseWhatTheyCannotHold) {
  const std::vector<std::uint16_t> jump{0, 40000, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(CompressSamples(jump, SampleMode::Interpolated));
  EXPECT_TRUE(CompressSamples(jump, SampleMode::FirstDifference));
  // Steps of +30000 and -30000 change by 60000, which a 16-bit second difference cannot hold.
  const std::vector<std::uint16_t> zigzag{0, 30000, 0, 30000, 0, 30000, 0, 30000, 0, 30000};
  EXPECT_FALSE(CompressSamples(zigzag, SampleMode::SecondDifference));
  EXPECT_FALSE(CompressSamples(std::vector<std::uint16_t>(70000, 0), SampleMode::Zeros));
  EXPECT_FALSE(CompressSamples({42}, SampleMode::FirstDifference));
}

}  // namespace
}  // namespace Dexal
