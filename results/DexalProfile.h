#pragma once

#include <cstdint>
#include <vector>

namespace Dexal {

struct DexalGraphPoint {
  double timeMs = 0.0;  // from the first sample
  double value = 0.0;   // volts
};

using SampleArray = std::vector<std::uint16_t>;

// One captured pulse: raw samples every 4 microseconds and what is derived from them.
class DexalProfile {
 public:
  explicit DexalProfile(std::uint16_t offset = 0, float scale = 0.0f, float load = 0.0f)
      : sampleOffset(offset), voltsPerCount(scale), loadOhms(load) {}

  std::uint16_t sampleCount = 0;
  SampleArray samples;
  std::vector<DexalGraphPoint> points;
  std::uint16_t sampleOffset;
  float voltsPerCount;
  float loadOhms;
  float energy = 0.0f;       // joules
  float peakVoltage = 0.0f;  // volts, never negative
  float peakCurrent = 0.0f;  // amperes
  float maxVoltage = 0.0f;   // volts
  float minVoltage = 0.0f;   // volts
  float pulseWidth = 0.0f;   // seconds
};

// The tester samples a pulse every 4 microseconds: 250 000 samples a second.
constexpr double kSamplesPerSecond = 250000.0;
constexpr double kSecondsPerSample = 1.0 / kSamplesPerSecond;

// Gives the profile its samples and computes the points and pulse values from them.
// Throws "Sample Count zero when setting profile data" when there are none.
void SetProfileData(DexalProfile& profile, SampleArray samples);

void AnalyseProfile(DexalProfile& profile);

}  // namespace Dexal
