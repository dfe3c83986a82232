#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tester/SampleCompressor.h"

namespace Dexal {
namespace {

// A decoder of sample blocks written independently of the program's, from the block format
// alone: nibbles high first, signed numbers sign-extended from their first nibble.
class ReferenceDecoder {
 public:
  explicit ReferenceDecoder(const ByteVector& block) : block_(block) {}

  std::vector<std::uint16_t> Decode() {
    const auto mode = Read(2, false);
    const auto count = static_cast<std::size_t>(Read(4, false));
    std::vector<std::uint16_t> out(count, 0);
    if (mode == 0 || mode > 3) return out;
    std::int32_t previous = Read(4, false);
    out.at(0) = static_cast<std::uint16_t>(previous);
    std::size_t index = 1;
    std::uint16_t remaining = static_cast<std::uint16_t>(count - 1);
    std::int32_t step = 0;
    std::int32_t rise = 0;
    do {
      if (mode == 3) {
        std::int32_t n = Read(1, false);
        if (n == 0) n = 16;
        remaining = static_cast<std::uint16_t>(remaining - n);
        const std::int32_t b = Read(1, false);
        const std::int32_t c = Read((b >> 2) + 1, true);
        rise += 4 * c + (b & 3);
        const auto d = static_cast<std::int16_t>(rise);
        for (std::int32_t j = 1; j < n; ++j) {
          out.at(index++) = static_cast<std::uint16_t>(previous + (d * j) / n);
        }
        previous += rise;
        out.at(index++) = static_cast<std::uint16_t>(previous);
      } else {
        const std::int32_t h = Read(1, false);
        const int w = (h & 3) + 1;
        const int v = (h >> 2) + 1;
        std::int32_t run = Read(w, false);
        if (run == 0) run = 1 << (4 * w);
        remaining = static_cast<std::uint16_t>(remaining - run);
        for (std::int32_t i = 0; i < run; ++i) {
          const std::int32_t d = Read(v, true);
          step = mode == 1 ? d : step + d;
          previous += step;
          out.at(index++) = static_cast<std::uint16_t>(previous);
        }
      }
    } while (remaining != 0);
    return out;
  }

 private:
  std::int32_t Read(int nibbles, bool isSigned) {
    std::int32_t value = 0;
    for (int i = 0; i < nibbles; ++i) {
      const std::uint8_t byte = block_.at(cursor_ / 2);
      const int nibble = cursor_ % 2 == 0 ? byte >> 4 : byte & 0xF;
      ++cursor_;
      value = value * 16 + nibble;
      if (i == 0 && isSigned && nibble >= 8) value -= 16;
    }
    return value;
  }
  const ByteVector& block_;
  std::size_t cursor_ = 0;
};

std::vector<std::uint16_t> Decode(const ByteVector& block) {
  return ReferenceDecoder(block).Decode();
}

constexpr SampleMode kModes[] = {SampleMode::Zeros, SampleMode::FirstDifference,
                                 SampleMode::SecondDifference, SampleMode::Interpolated};

// Each mode that takes the samples must give them back exactly; the smallest block too.
void ExpectRoundTrips(const std::vector<std::uint16_t>& samples) {
  const ByteVector smallest = CompressSmallest(samples);
  EXPECT_EQ(Decode(smallest), samples);
  for (SampleMode mode : kModes) {
    const auto block = CompressSamples(samples, mode);
    if (!block) continue;
    EXPECT_EQ(Decode(*block), samples) << "mode " << static_cast<int>(mode);
    EXPECT_LE(smallest.size(), block->size()) << "mode " << static_cast<int>(mode);
  }
}

std::vector<std::uint16_t> BiphasicPulse(std::size_t count) {
  std::vector<std::uint16_t> samples(count, 2048);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) * 4e-3;  // ms
    double v = 0;
    if (t >= 1 && t < 7) v = 1500 * std::exp(-(t - 1) / 8);
    if (t >= 7.2 && t < 11) v = -900 * std::exp(-(t - 7.2) / 8);
    samples[i] = static_cast<std::uint16_t>(2048 + std::lround(v));
  }
  return samples;
}

TEST(SampleCompressor, ZerosModeIsTheHeaderAlone) {
  const std::vector<std::uint16_t> zeros(31250, 0);
  const auto block = CompressSamples(zeros, SampleMode::Zeros);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, (ByteVector{0x00, 0x7A, 0x12}));
  EXPECT_EQ(CompressSmallest(zeros), *block);
  EXPECT_FALSE(CompressSamples({0, 0, 1, 0, 0, 0, 0, 0, 0, 0}, SampleMode::Zeros));
}

TEST(SampleCompressor, FirstDifferencesInOneNibbleGroup) {
  // 10 samples rising by one: mode 1, N 10, first sample 100, group h=0 (w 1, v 1), R 9.
  std::vector<std::uint16_t> ramp;
  for (std::uint16_t i = 0; i < 10; ++i) ramp.push_back(static_cast<std::uint16_t>(100 + i));
  const auto block = CompressSamples(ramp, SampleMode::FirstDifference);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, (ByteVector{0x01, 0x00, 0x0A, 0x00, 0x64, 0x09, 0x11, 0x11, 0x11, 0x11, 0x10}));
  // Second differences: one step of 1, then zeros.
  const auto second = CompressSamples(ramp, SampleMode::SecondDifference);
  ASSERT_TRUE(second);
  EXPECT_EQ(Decode(*second), ramp);
  // Interpolated: one segment of 9 rising by 9.
  const auto interpolated = CompressSamples(ramp, SampleMode::Interpolated);
  ASSERT_TRUE(interpolated);
  EXPECT_EQ(*interpolated, (ByteVector{0x03, 0x00, 0x0A, 0x00, 0x64, 0x91, 0x20}));
  EXPECT_EQ(CompressSmallest(ramp), *interpolated);
}

TEST(SampleCompressor, InterpolationHonoursTruncatingDivision) {
  // Falling segments: the decoder's division truncates toward zero, so a fall of 2 over 3
  // samples gives 10, 10, 8 and cannot hold 10, 9, 8; the encoder must see that.
  const std::vector<std::uint16_t> samples{10, 10, 9, 8, 8, 8, 8, 8, 8, 8};
  ExpectRoundTrips(samples);
}

TEST(SampleCompressor, RoundTripsEdgesJumpsAndRuns) {
  ExpectRoundTrips({0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF});
  ExpectRoundTrips({0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 1});
  ExpectRoundTrips({5, 40000, 3, 32768, 32767, 0, 9, 9, 9, 65000});
  // A constant run longer than 4096 needs a four-nibble run length, one of exactly 4096 the
  // "0 means 16^w" form.
  ExpectRoundTrips(std::vector<std::uint16_t>(4097, 1234));
  ExpectRoundTrips(std::vector<std::uint16_t>(31250, 7));
}

TEST(SampleCompressor, InterpolationRefusesRisesBeyondSixteenBits) {
  const std::vector<std::uint16_t> samples{0, 40000, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(CompressSamples(samples, SampleMode::Interpolated));
  EXPECT_TRUE(CompressSamples(samples, SampleMode::FirstDifference));
  // Steps of +30000 and -30000 change by 60000, which a 16-bit second difference cannot hold.
  const std::vector<std::uint16_t> zigzag{0, 30000, 0, 30000, 0, 30000, 0, 30000, 0, 30000};
  EXPECT_FALSE(CompressSamples(zigzag, SampleMode::SecondDifference));
  ExpectRoundTrips(zigzag);
}

TEST(SampleCompressor, RoundTripsRandomWalksAndFullPulses) {
  std::mt19937 random(20261207);
  for (int trial = 0; trial < 40; ++trial) {
    std::uniform_int_distribution<int> stepSize(0, trial % 4 == 3 ? 40000 : 1 << (trial % 12));
    std::uniform_int_distribution<std::size_t> length(10, 3000);
    std::vector<std::uint16_t> walk(length(random));
    int value = 30000;
    for (auto& s : walk) {
      value = (value + stepSize(random) - stepSize(random) + 65536) % 65536;
      s = static_cast<std::uint16_t>(value);
    }
    ExpectRoundTrips(walk);
  }
  const auto pulse = BiphasicPulse(31250);
  ExpectRoundTrips(pulse);
  // A smooth pulse must compress well below two bytes a sample.
  EXPECT_LT(CompressSmallest(pulse).size(), pulse.size());
}

TEST(SampleCompressor, RefusesWhatNoBlockCanHold) {
  EXPECT_FALSE(CompressSamples(std::vector<std::uint16_t>(70000, 0), SampleMode::Zeros));
  EXPECT_FALSE(CompressSamples({42}, SampleMode::FirstDifference));
}

}  // namespace
}  // namespace Dexal
