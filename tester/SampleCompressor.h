#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/ByteVector.h"

namespace Dexal {

enum class SampleMode : std::uint8_t {
  Zeros = 0,
  FirstDifference = 1,
  SecondDifference = 2,
  Interpolated = 3
};

// The sample block in that mode, or nullopt when the mode cannot reproduce the samples
// exactly (mode 0 holds only zeros; mode 3 only rises that fit 16 bits).
std::optional<ByteVector> CompressSamples(const std::vector<std::uint16_t>& samples,
                                          SampleMode mode);

// The smallest exact block over the modes.
ByteVector CompressSmallest(const std::vector<std::uint16_t>& samples);

}  // namespace Dexal
