#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/ByteVector.h"
#include "results/DexalProfile.h"

namespace Dexal {

constexpr std::uint16_t kMinSampleCount = 10;
constexpr std::uint16_t kMaxSampleCount = 31250;

// Reads count nibbles (1 to 4, high nibble of a byte first) at the nibble cursor and advances it.
// With isSigned the first nibble's top bit is the sign. A nibble beyond the block throws
// std::out_of_range. The cursor is 32 bits wide, so blocks of any size can be addressed.
std::int32_t NibblesFromVector(const ByteVector& block, std::uint32_t& nibbleCursor, int count,
                               bool isSigned);

// Decodes the compressed sample block of length bytes at position in the segment; nullopt when
// its sample count is outside 10 to 31250. A block that ends early or whose groups do not add up
// to the sample count throws std::out_of_range; a length past the segment, a runtime error.
std::optional<SampleArray> SamplesFromVector(const ByteVector& segment, std::size_t position,
                                             std::uint32_t length);

}  // namespace Dexal
