#include "results/DexalProfile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace Dexal {
namespace {

DexalProfile Analysed(std::uint16_t offset, float scale, float load, SampleArray samples) {
  DexalProfile profile(offset, scale, load);
  SetProfileData(profile, std::move(samples));
  return profile;
}

TEST(AnalyseProfile, ZeroSamplesGiveZeroEverything) {
  const DexalProfile profile = Analysed(0, 0.5f, 50.0f, SampleArray(10, 0));
  EXPECT_EQ(profile.sampleCount, 10);
  ASSERT_EQ(profile.points.size(), 10u);
  for (const DexalGraphPoint& point : profile.points) EXPECT_EQ(point.value, 0.0);
  EXPECT_EQ(profile.energy, 0.0f);
  EXPECT_EQ(profile.peakVoltage, 0.0f);
  EXPECT_EQ(profile.pulseWidth, 0.0f);
}

TEST(AnalyseProfile, EnergyOfAConstantPulse) {
  const DexalProfile profile = Analysed(100, 0.01f, 50.0f, SampleArray(250, 1100));
  EXPECT_FLOAT_EQ(profile.energy, 0.002f);
  EXPECT_FLOAT_EQ(profile.maxVoltage, 10.0f);
  EXPECT_FLOAT_EQ(profile.peakCurrent, 0.2f);
  // Every sample is outside the band, so the pulse is as long as the record.
  EXPECT_FLOAT_EQ(profile.pulseWidth, 250 / 250000.0f);
}

TEST(AnalyseProfile, PeaksWidthAndPoints) {
  const DexalProfile profile =
      Analysed(100, 2.0f, 50.0f, {100, 100, 200, 300, 200, 100, 100, 100, 100, 100});
  EXPECT_EQ(profile.maxVoltage, 400.0f);
  EXPECT_EQ(profile.minVoltage, 0.0f);
  EXPECT_EQ(profile.peakVoltage, 400.0f);
  EXPECT_EQ(profile.peakCurrent, 8.0f);
  EXPECT_EQ(profile.pulseWidth, static_cast<float>(3 / 250000.0));
  ASSERT_EQ(profile.points.size(), 10u);
  EXPECT_EQ(profile.points[3].value, 400.0);
  EXPECT_EQ(profile.points[0].timeMs, 0.0);
  EXPECT_EQ(profile.points[9].timeMs, 9 * 4e-06 * 1000);
  // Sum of squares 100² + 200² + 100² counts, times 4 V² per count², over 50 Ω at 250 kHz.
  EXPECT_EQ(profile.energy, static_cast<float>(60000.0 * 2.0 * 2.0 / (50.0 * 250000.0)));
}

TEST(AnalyseProfile, NegativePeakWinsOnlyWhenLarger) {
  // |min| > |max|: the lowest sample is the peak, and its tenth sets the quiet band.
  const DexalProfile negative =
      Analysed(1000, 1.0f, 10.0f, {1000, 1000, 1050, 900, 0, 900, 1000, 1000, 1060, 1000});
  EXPECT_EQ(negative.peakVoltage, 1000.0f);
  EXPECT_EQ(negative.minVoltage, -1000.0f);
  EXPECT_EQ(negative.maxVoltage, 60.0f);
  EXPECT_EQ(negative.peakCurrent, 100.0f);
  // Band 900..1100: first outside is index 4 (0), last is index 4 too: the width stays 0.
  EXPECT_EQ(negative.pulseWidth, 0.0f);

  // A tie takes the highest sample: the band is a tenth of 50, and 1040 lies outside it.
  const DexalProfile tie =
      Analysed(1000, 1.0f, 10.0f, {1000, 1050, 1040, 1000, 950, 1000, 1000, 1000, 1000, 1000});
  EXPECT_EQ(tie.peakVoltage, 50.0f);
  EXPECT_EQ(tie.pulseWidth, static_cast<float>(4 / 250000.0));
}

TEST(AnalyseProfile, NoLoadMeansNoEnergyNoPointsNoWidth) {
  const DexalProfile profile =
      Analysed(100, 1.0f, 0.0f, {100, 100, 200, 300, 200, 100, 100, 100, 100, 100});
  EXPECT_TRUE(profile.points.empty());
  EXPECT_EQ(profile.energy, 0.0f);
  EXPECT_EQ(profile.peakVoltage, 0.0f);
  EXPECT_EQ(profile.pulseWidth, 0.0f);
  EXPECT_EQ(profile.samples.size(), 10u);
}

TEST(SetProfileData, NoSamplesIsAnError) {
  DexalProfile profile(0, 1.0f, 50.0f);
  try {
    SetProfileData(profile, {});
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Sample Count zero when setting profile data");
  }
}

// Samples exactly a tenth of the peak from the offset are quiet; one count further is not. High
// offsets with a negative peak work as well as low ones with a positive peak.
TEST(AnalyseProfile, PulseWidthAtTheEdgesOfTheQuietBand) {
  for (const int offset : {1000, 60000}) {
    const int sign = offset > 30000 ? -1 : 1;
    SampleArray samples;
    for (const int level : {0, 10, 11, 100, -10, -11, 10, 0, 0, 0}) {
      samples.push_back(static_cast<std::uint16_t>(offset + sign * level));
    }
    const DexalProfile profile = Analysed(static_cast<std::uint16_t>(offset), 1.0f, 10.0f, samples);
    EXPECT_EQ(profile.peakVoltage, 100.0f) << offset;
    EXPECT_EQ(profile.pulseWidth, static_cast<float>(4 / 250000.0)) << offset;
  }
}

TEST(AnalyseProfile, ValuesAreRoundedToSinglePrecision) {
  const DexalProfile profile = Analysed(0, 0.1f, 50.0f, SampleArray(10, 3));
  EXPECT_EQ(profile.points[0].value, static_cast<double>(3.0f * 0.1f));
  EXPECT_NE(profile.points[0].value, 3 * 0.1);
}

}  // namespace
}  // namespace Dexal
