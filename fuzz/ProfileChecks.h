// What every pulse profile holds whatever its samples, shared by the decoding fuzzers: a
// profile that contradicts its own samples ends the run.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "results/DexalProfile.h"
#include "results/SampleDecoder.h"

namespace Dexal::fuzzing {

// The profile made from `count` samples: a count the decoder allows, every sample counted, a
// point for each sample when there are points, no negative peak, and a width never negative nor
// longer than the capture (allowing for its single precision).
inline void CheckProfile(const DexalProfile& profile, std::size_t count) {
  if (count < kMinSampleCount || count > kMaxSampleCount) std::abort();
  if (profile.sampleCount != count) std::abort();
  if (!profile.points.empty() && profile.points.size() != count) std::abort();
  if (profile.peakVoltage < 0.0f) std::abort();
  const double width = profile.pulseWidth;
  if (!(width >= 0.0 && width <= static_cast<double>(count) / kSamplesPerSecond * (1.0 + 1e-6))) {
    std::abort();  // NaN too
  }
}

}  // namespace Dexal::fuzzing
