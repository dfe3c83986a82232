// The whole input as one compressed sample block. Whatever decodes must analyse without
// faults, and must come back unchanged through the tester's compressor and the decoder again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>

#include "fuzz/ProfileChecks.h"
#include "results/DexalProfile.h"
#include "results/SampleDecoder.h"
#include "tester/SampleCompressor.h"

namespace {

using namespace Dexal;

void Analyse(const SampleArray& samples, std::uint16_t offset, float scale, float load) {
  DexalProfile profile(offset, scale, load);
  SetProfileData(profile, samples);
  fuzzing::CheckProfile(profile, samples.size());
  if (load != 0.0f && profile.points.size() != samples.size()) std::abort();
  if (profile.energy < 0.0f || profile.peakCurrent < 0.0f) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteVector block(data, data + size);
  std::optional<SampleArray> samples;
  try {
    samples = SamplesFromVector(block, 0, static_cast<std::uint32_t>(block.size()));
  } catch (const std::exception&) {
    return 0;  // a block that ends early or whose groups overrun the count
  }
  if (!samples) return 0;

  Analyse(*samples, 32768, 0.1f, 50.0f);
  Analyse(*samples, 0, 0.001f, 1.0f);
  Analyse(*samples, 100, 0.5f, 0.0f);

  const ByteVector again = CompressSmallest(*samples);
  const std::optional<SampleArray> back =
      SamplesFromVector(again, 0, static_cast<std::uint32_t>(again.size()));
  if (!back || *back != *samples) std::abort();
  return 0;
}
