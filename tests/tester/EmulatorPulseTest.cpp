// Generated pulses carry the energy, width and current they were asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tester/PulseShapes.h"

namespace Dexal {
namespace {

// Width as the downloader measures it: first to last sample outside a tenth of the peak.
double MeasuredWidthSeconds(const std::vector<std::uint16_t>& samples, std::uint16_t offset) {
  int peak = 0;
  for (std::uint16_t s : samples) peak = std::max(peak, std::abs(s - offset));
  const int band = peak / 10;
  long first = -1, last = -1;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i] - offset) > band) {
      if (first < 0) first = static_cast<long>(i);
      last = static_cast<long>(i);
    }
  }
  return first < 0 ? 0.0 : static_cast<double>(last - first + 1) * kSampleSeconds;
}

double PeakVolts(const std::vector<std::uint16_t>& samples, const PulseCalibration& cal) {
  double peak = 0.0;
  for (std::uint16_t s : samples) {
    peak =
        std::max(peak, std::fabs((s - cal.sampleOffset) * static_cast<double>(cal.voltsPerCount)));
  }
  return peak;
}

TEST(PulseShapes, DefibPulsesCarryTheAskedEnergy) {
  struct Case {
    bool biphasic;
    double joules;
    PulseCalibration cal;
    std::size_t count;
  };
  const Case cases[] = {
      {true, 200.0, {32768, 0.1f, 50.0f}, kFullPulseSamples},
      {true, 150.0, {32768, 0.1f, 75.0f}, kFullPulseSamples},
      {true, 2.0, {2048, 0.05f, 50.0f}, kFullPulseSamples},
      {false, 360.0, {32768, 0.1f, 50.0f}, kFullPulseSamples},
      {false, 50.0, {1000, 0.2f, 100.0f}, 10000},
  };
  for (const auto& c : cases) {
    const auto samples = c.biphasic ? BiphasicDefibPulse(c.joules, c.cal, c.count)
                                    : MonophasicDefibPulse(c.joules, c.cal, c.count);
    ASSERT_EQ(samples.size(), c.count);
    // The energy from the samples themselves, independent of PulseEnergy.
    double sum = 0.0;
    for (std::uint16_t s : samples) {
      const double v = (static_cast<double>(s) - c.cal.sampleOffset) * c.cal.voltsPerCount;
      sum += v * v;
    }
    const double energy = sum / c.cal.loadOhms * 4e-6;
    EXPECT_NEAR(energy, c.joules, c.joules * 0.01) << c.joules << " J";
    EXPECT_NEAR(PulseEnergy(samples, c.cal), energy, energy * 1e-9);
    // Quiet before the pulse and after it.
    EXPECT_EQ(samples.front(), c.cal.sampleOffset);
    EXPECT_EQ(samples.back(), c.cal.sampleOffset);
  }
}

TEST(PulseShapes, BiphasicPulseReversesPolarityAndMonophasicDoesNot) {
  const PulseCalibration cal{32768, 0.1f, 50.0f};
  const auto bi = BiphasicDefibPulse(200.0, cal);
  const auto mono = MonophasicDefibPulse(200.0, cal);
  auto extremes = [&](const std::vector<std::uint16_t>& s) {
    return std::pair{*std::min_element(s.begin(), s.end()), *std::max_element(s.begin(), s.end())};
  };
  EXPECT_LT(extremes(bi).first, cal.sampleOffset - 1000);
  EXPECT_GT(extremes(bi).second, cal.sampleOffset + 1000);
  EXPECT_EQ(extremes(mono).first, cal.sampleOffset);
  // A 200 J biphasic pulse into 50 ohms peaks near 2 kV.
  EXPECT_GT(PeakVolts(bi, cal), 1500.0);
  EXPECT_LT(PeakVolts(bi, cal), 2500.0);
}

TEST(PulseShapes, PacerPulseHasTheAskedWidthAndCurrent) {
  struct Case {
    double widthMs, milliamps;
    PulseCalibration cal;
  };
  const Case cases[] = {
      {20.0, 40.0, {32768, 0.001f, 50.0f}},
      {40.0, 71.5, {32768, 0.001f, 50.0f}},
      {1.5, 10.0, {0, 0.01f, 500.0f}},
      {0.5, 140.0, {32768, 0.002f, 50.0f}},
  };
  for (const auto& c : cases) {
    const auto samples = PacerPulse(c.widthMs, c.milliamps, c.cal);
    ASSERT_EQ(samples.size(), kFullPulseSamples);
    EXPECT_NEAR(MeasuredWidthSeconds(samples, c.cal.sampleOffset) * 1e3, c.widthMs, 0.004)
        << c.widthMs;
    EXPECT_NEAR(PeakVolts(samples, c.cal) / c.cal.loadOhms * 1e3, c.milliamps, c.milliamps * 0.01)
        << c.milliamps;
  }
}

TEST(PulseShapes, ImpossiblePulsesAreRefused) {
  const PulseCalibration ok{32768, 0.1f, 50.0f};
  EXPECT_THROW(BiphasicDefibPulse(200.0, {32768, 0.1f, 0.0f}), std::invalid_argument);
  EXPECT_THROW(BiphasicDefibPulse(0.0, ok), std::invalid_argument);
  EXPECT_THROW(BiphasicDefibPulse(200.0, {32768, 0.0f, 50.0f}), std::invalid_argument);
  // 200 J needs about 2 kV: beyond 16 bits at 0.01 V a count.
  EXPECT_THROW(BiphasicDefibPulse(200.0, {32768, 0.01f, 50.0f}), std::invalid_argument);
  EXPECT_THROW(MonophasicDefibPulse(100.0, ok, 9), std::invalid_argument);
  EXPECT_THROW(MonophasicDefibPulse(100.0, ok, kFullPulseSamples + 1), std::invalid_argument);
  EXPECT_THROW(PacerPulse(200.0, 40.0, ok), std::invalid_argument);  // longer than 125 ms
  EXPECT_THROW(PacerPulse(20.0, 40.0, {32768, 0.001f, 50.0f}, 1000), std::invalid_argument);
}

}  // namespace
}  // namespace Dexal
