#include "results/SampleDecoder.h"

#include <stdexcept>

namespace Dexal {
namespace {

[[noreturn]] void ThrowSubscript() { throw std::out_of_range("invalid vector<T> subscript"); }

enum Mode : std::int32_t {
  kZeros = 0,
  kFirstDifference = 1,
  kSecondDifference = 2,
  kInterpolated = 3
};

// Hands out the places of a group's samples, refusing any beyond the sample count.
class SampleSink {
 public:
  explicit SampleSink(SampleArray& samples) : samples_(samples) {}
  std::uint16_t* Take(std::uint32_t count) {
    if (count > samples_.size() - next_) ThrowSubscript();
    std::uint16_t* first = samples_.data() + next_;
    next_ += count;
    return first;
  }

 private:
  SampleArray& samples_;
  std::size_t next_ = 1;
};

// The same number as NibblesFromVector, for nibbles already known to lie inside the block. Kept
// apart from it on purpose: making NibblesFromVector a checked call of this one measured 7 %
// slower on a full pulse.
std::int32_t InsideNibbles(const std::uint8_t* bytes, std::uint32_t& cursor, int count,
                           bool isSigned) {
  std::uint32_t number = 0;
  for (int i = 0; i < count; ++i, ++cursor) {
    const std::uint8_t byte = bytes[cursor / 2];
    const std::uint32_t nibble = (cursor % 2 == 0) ? (byte >> 4) : (byte & 0x0Fu);
    number = (number << 4) | nibble;
    if (isSigned && i == 0 && nibble >= 8) number |= ~0xFu;
  }
  return static_cast<std::int32_t>(number);
}

bool Inside(const ByteVector& block, std::uint32_t cursor, std::uint64_t nibbles) {
  return cursor + nibbles <= 2 * static_cast<std::uint64_t>(block.size());
}

// Modes 1 and 2. The running sum and step wrap as 32-bit two's complement numbers; only their
// low 16 bits reach the samples.
std::uint16_t DifferenceGroup(const ByteVector& block, std::uint32_t& cursor, bool second,
                              std::uint32_t& previous, std::uint32_t& step, SampleSink& sink) {
  const std::int32_t header = NibblesFromVector(block, cursor, 1, false);
  const int runWidth = (header & 3) + 1;
  const int differenceWidth = (header >> 2) + 1;
  std::uint32_t run = static_cast<std::uint32_t>(NibblesFromVector(block, cursor, runWidth, false));
  if (run == 0) run = 1u << (4 * runWidth);
  std::uint16_t* out = sink.Take(run);
  // A group that ends past the block fails on its first missing nibble.
  const bool inside = Inside(block, cursor, std::uint64_t{run} * differenceWidth);
  for (std::uint32_t i = 0; i < run; ++i) {
    const auto difference = static_cast<std::uint32_t>(
        inside ? InsideNibbles(block.data(), cursor, differenceWidth, true)
               : NibblesFromVector(block, cursor, differenceWidth, true));
    step = second ? step + difference : difference;
    previous += step;
    out[i] = static_cast<std::uint16_t>(previous);
  }
  return static_cast<std::uint16_t>(run);
}

// Mode 3: a straight segment whose rise changes by the group's slope change. The points in
// between are previous + rise * j / length, truncated toward zero; they are stepped through
// with a quotient and a remainder instead of a division per sample.
std::uint16_t InterpolatedGroup(const ByteVector& block, std::uint32_t& cursor,
                                std::uint32_t& previous, std::int16_t& rise, SampleSink& sink) {
  std::int32_t length = NibblesFromVector(block, cursor, 1, false);
  if (length == 0) length = 16;
  const std::int32_t widthNibble = NibblesFromVector(block, cursor, 1, false);
  const std::int32_t high = NibblesFromVector(block, cursor, (widthNibble >> 2) + 1, true);
  rise = static_cast<std::int16_t>(rise + 4 * high + (widthNibble & 3));
  std::uint16_t* out = sink.Take(static_cast<std::uint32_t>(length));
  const std::int32_t magnitude = rise < 0 ? -rise : rise;
  const std::int32_t wholeStep = magnitude / length;
  const std::int32_t partStep = magnitude % length;
  std::int32_t quotient = 0;
  std::int32_t remainder = 0;
  for (std::int32_t j = 1; j < length; ++j) {
    quotient += wholeStep;
    remainder += partStep;
    if (remainder >= length) {
      remainder -= length;
      ++quotient;
    }
    const std::int32_t offset = rise < 0 ? -quotient : quotient;
    *out++ = static_cast<std::uint16_t>(previous + static_cast<std::uint32_t>(offset));
  }
  previous += static_cast<std::uint32_t>(static_cast<std::int32_t>(rise));
  *out = static_cast<std::uint16_t>(previous);
  return static_cast<std::uint16_t>(length);
}

}  // namespace

std::int32_t NibblesFromVector(const ByteVector& block, std::uint32_t& nibbleCursor, int count,
                               bool isSigned) {
  std::uint32_t number = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t byteIndex = nibbleCursor / 2;
    if (byteIndex >= block.size()) ThrowSubscript();
    const std::uint8_t byte = block[byteIndex];
    const std::uint32_t nibble = (nibbleCursor % 2 == 0) ? (byte >> 4) : (byte & 0x0Fu);
    ++nibbleCursor;
    number = (number << 4) | nibble;
    if (isSigned && i == 0 && nibble >= 8) number |= ~0xFu;
  }
  return static_cast<std::int32_t>(number);
}

std::optional<SampleArray> SamplesFromVector(const ByteVector& segment, std::size_t position,
                                             std::uint32_t length) {
  if (position > segment.size() || length > segment.size() - position) {
    throw std::runtime_error(
        "SamplesFromVector: Not enough bytes left to provide the value requested.");
  }
  const auto first = segment.begin() + static_cast<std::ptrdiff_t>(position);
  const ByteVector block(first, first + static_cast<std::ptrdiff_t>(length));

  std::uint32_t cursor = 0;
  const std::int32_t mode = NibblesFromVector(block, cursor, 2, false);
  const auto count = static_cast<std::uint16_t>(NibblesFromVector(block, cursor, 4, false));
  if (count < kMinSampleCount || count > kMaxSampleCount) return std::nullopt;

  SampleArray samples(count, 0);
  if (mode != kFirstDifference && mode != kSecondDifference && mode != kInterpolated) {
    return samples;
  }
  auto previous = static_cast<std::uint32_t>(NibblesFromVector(block, cursor, 4, false));
  samples[0] = static_cast<std::uint16_t>(previous);
  SampleSink sink(samples);
  auto remaining = static_cast<std::uint16_t>(count - 1);
  std::uint32_t step = 0;
  std::int16_t rise = 0;
  do {
    const std::uint16_t produced =
        mode == kInterpolated
            ? InterpolatedGroup(block, cursor, previous, rise, sink)
            : DifferenceGroup(block, cursor, mode == kSecondDifference, previous, step, sink);
    remaining = static_cast<std::uint16_t>(remaining - produced);
  } while (remaining != 0);
  return samples;
}

}  // namespace Dexal
