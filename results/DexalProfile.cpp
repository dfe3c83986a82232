#include "results/DexalProfile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace Dexal {
namespace {

// The first and last samples outside offset - t .. offset + t, where t is a tenth of the peak's
// distance from the offset: their span is the pulse width.
void MeasurePulseWidth(DexalProfile& profile, std::uint16_t peakSample) {
  const int offset = profile.sampleOffset;
  const int threshold = std::abs(peakSample - offset) / 10;
  const auto outside = [&](std::uint16_t sample) { return std::abs(sample - offset) > threshold; };
  const SampleArray& samples = profile.samples;
  std::size_t first = 0;
  while (first < samples.size() && !outside(samples[first])) ++first;
  if (first == samples.size()) return;
  std::size_t last = samples.size() - 1;
  while (!outside(samples[last])) --last;
  if (last > first) {
    profile.pulseWidth =
        static_cast<float>(static_cast<double>(last - first + 1) / kSamplesPerSecond);
  }
}

}  // namespace

void SetProfileData(DexalProfile& profile, SampleArray samples) {
  if (profile.sampleCount == 0) profile.sampleCount = static_cast<std::uint16_t>(samples.size());
  if (profile.sampleCount == 0) {
    throw std::runtime_error("Sample Count zero when setting profile data");
  }
  profile.samples = std::move(samples);
  AnalyseProfile(profile);
}

void AnalyseProfile(DexalProfile& profile) {
  // Without a load there is no energy or current to speak of, and no width either.
  if (profile.loadOhms == 0.0f) return;
  const int offset = profile.sampleOffset;
  const float scale = profile.voltsPerCount;
  const float load = profile.loadOhms;

  const SampleArray& samples = profile.samples;
  profile.points.assign(samples.size(), DexalGraphPoint{});
  DexalGraphPoint* point = profile.points.data();
  std::uint16_t highest = 0;
  std::uint16_t lowest = 65535;
  std::uint64_t sumOfSquares = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::uint16_t sample = samples[i];
    highest = std::max(highest, sample);
    lowest = std::min(lowest, sample);
    const std::int64_t difference = sample - offset;
    sumOfSquares += static_cast<std::uint64_t>(difference * difference);
    point[i].timeMs = static_cast<double>(i) * kSecondsPerSample * 1000.0;
    point[i].value = static_cast<double>(static_cast<float>(difference) * scale);
  }

  profile.energy = static_cast<float>(static_cast<double>(sumOfSquares) * scale * scale /
                                      (static_cast<double>(load) * kSamplesPerSecond));
  profile.maxVoltage = static_cast<float>(highest - offset) * scale;
  profile.minVoltage = static_cast<float>(lowest - offset) * scale;
  std::uint16_t peakSample = highest;
  profile.peakVoltage = std::fabs(profile.maxVoltage);
  if (std::fabs(profile.minVoltage) > std::fabs(profile.maxVoltage)) {
    profile.peakVoltage = std::fabs(profile.minVoltage);
    peakSample = lowest;
  }
  profile.peakCurrent = profile.peakVoltage / load;
  MeasurePulseWidth(profile, peakSample);
}

}  // namespace Dexal
