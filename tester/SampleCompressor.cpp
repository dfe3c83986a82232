#include "tester/SampleCompressor.h"

#include <cstddef>
#include <cstdint>
#include <limits>

namespace Dexal {
namespace {

// Writes a stream of 4-bit nibbles, the high nibble of each byte first.
class NibbleWriter {
 public:
  void Put(std::uint32_t value, int nibbles) {
    for (int i = nibbles - 1; i >= 0; --i) PutOne((value >> (4 * i)) & 0xF);
  }
  ByteVector Finish() && { return std::move(bytes_); }

 private:
  void PutOne(std::uint32_t nibble) {
    if (high_) {
      bytes_.push_back(static_cast<std::uint8_t>(nibble << 4));
    } else {
      bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | nibble);
    }
    high_ = !high_;
  }
  ByteVector bytes_;
  bool high_ = true;
};

// Nibbles a signed number needs in two's complement (at most 4 are ever asked for).
int SignedWidth(std::int32_t value) {
  for (int width = 1; width < 4; ++width) {
    const std::int32_t limit = 1 << (4 * width - 1);
    if (value >= -limit && value < limit) return width;
  }
  return 4;
}

bool FitsSigned16(std::int64_t value) {
  return value >= std::numeric_limits<std::int16_t>::min() &&
         value <= std::numeric_limits<std::int16_t>::max();
}

// The signed 16-bit number with the same low 16 bits.
std::int32_t Wrap16(std::int64_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

void PutHeader(NibbleWriter& out, SampleMode mode, std::size_t count) {
  out.Put(static_cast<std::uint32_t>(mode), 2);
  out.Put(static_cast<std::uint32_t>(count), 4);
}

// One group of modes 1 and 2: run length, then the differences, all of one width.
void PutDifferenceGroup(NibbleWriter& out, const std::vector<std::int32_t>& diffs,
                        std::size_t begin, std::size_t end, int width) {
  const std::size_t run = end - begin;
  int runWidth = 1;
  while (runWidth < 4 && run > (std::size_t{1} << (4 * runWidth))) ++runWidth;
  // A run length of 0 stands for 16 to the power of its width.
  const std::size_t encodedRun = run == (std::size_t{1} << (4 * runWidth)) ? 0 : run;
  out.Put(static_cast<std::uint32_t>(((width - 1) << 2) | (runWidth - 1)), 1);
  out.Put(static_cast<std::uint32_t>(encodedRun), runWidth);
  for (std::size_t i = begin; i < end; ++i) out.Put(static_cast<std::uint32_t>(diffs[i]), width);
}

std::optional<ByteVector> EncodeDifferences(const std::vector<std::uint16_t>& samples,
                                            SampleMode mode) {
  // Each step is the sample's change taken modulo 16 bits, so the decoder's running sum gives
  // back the low 16 bits of every sample whatever the jump, and never leaves 32 bits (at most
  // 65535 steps of at most 32768). In mode 2 a change of step must itself fit 16 bits.
  std::vector<std::int32_t> diffs;
  diffs.reserve(samples.size());
  std::int64_t previous = samples[0];
  std::int64_t step = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const std::int32_t wanted = Wrap16(std::int64_t{samples[i]} - previous);
    std::int32_t d = wanted;
    if (mode == SampleMode::SecondDifference) {
      if (!FitsSigned16(std::int64_t{wanted} - step)) return std::nullopt;
      d = static_cast<std::int32_t>(wanted - step);
      step = wanted;
    } else {
      step = d;
    }
    previous += step;
    diffs.push_back(d);
  }

  NibbleWriter out;
  PutHeader(out, mode, samples.size());
  out.Put(samples[0], 4);
  constexpr std::size_t kLongestRun = 65536;
  std::size_t begin = 0;
  while (begin < diffs.size()) {
    const int width = SignedWidth(diffs[begin]);
    std::size_t end = begin + 1;
    while (end < diffs.size() && end - begin < kLongestRun && SignedWidth(diffs[end]) == width) {
      ++end;
    }
    PutDifferenceGroup(out, diffs, begin, end, width);
    begin = end;
  }
  return std::move(out).Finish();
}

// The decoder's interior sample j of a segment of n samples rising by `rise`.
std::int64_t Interpolated(std::int64_t previous, std::int32_t rise, int j, int n) {
  return previous + (rise * j) / n;
}

std::optional<ByteVector> EncodeInterpolated(const std::vector<std::uint16_t>& samples) {
  NibbleWriter out;
  PutHeader(out, SampleMode::Interpolated, samples.size());
  out.Put(samples[0], 4);
  std::int64_t previous = samples[0];
  std::int32_t rise = 0;
  std::size_t next = 1;
  while (next < samples.size()) {
    // The longest segment (up to 16 samples) that the interpolation reproduces exactly.
    int chosen = 0;
    const int longest = static_cast<int>(std::min<std::size_t>(16, samples.size() - next));
    for (int n = longest; n >= 1 && chosen == 0; --n) {
      const std::int64_t candidate = std::int64_t{samples[next + n - 1]} - previous;
      if (!FitsSigned16(candidate)) continue;
      bool exact = true;
      for (int j = 1; j < n && exact; ++j) {
        exact = Interpolated(previous, static_cast<std::int32_t>(candidate), j, n) ==
                samples[next + j - 1];
      }
      if (exact) chosen = n;
    }
    if (chosen == 0) return std::nullopt;
    const auto newRise = static_cast<std::int32_t>(samples[next + chosen - 1] - previous);
    const std::int32_t change = newRise - rise;
    const std::int32_t low = change & 3;
    const std::int32_t high = (change - low) / 4;
    const int width = SignedWidth(high);
    out.Put(static_cast<std::uint32_t>(chosen == 16 ? 0 : chosen), 1);
    out.Put(static_cast<std::uint32_t>(((width - 1) << 2) | low), 1);
    out.Put(static_cast<std::uint32_t>(high), width);
    rise = newRise;
    previous += rise;
    next += static_cast<std::size_t>(chosen);
  }
  return std::move(out).Finish();
}

}  // namespace

std::optional<ByteVector> CompressSamples(const std::vector<std::uint16_t>& samples,
                                          SampleMode mode) {
  if (samples.size() > 0xFFFF) return std::nullopt;
  if (mode == SampleMode::Zeros) {
    for (std::uint16_t s : samples) {
      if (s != 0) return std::nullopt;
    }
    NibbleWriter out;
    PutHeader(out, mode, samples.size());
    return std::move(out).Finish();
  }
  // The other modes store the first sample and at least one group.
  if (samples.size() < 2) return std::nullopt;
  if (mode == SampleMode::Interpolated) return EncodeInterpolated(samples);
  return EncodeDifferences(samples, mode);
}

ByteVector CompressSmallest(const std::vector<std::uint16_t>& samples) {
  std::optional<ByteVector> best;
  for (SampleMode mode : {SampleMode::Zeros, SampleMode::FirstDifference,
                          SampleMode::SecondDifference, SampleMode::Interpolated}) {
    std::optional<ByteVector> block = CompressSamples(samples, mode);
    if (block && (!best || block->size() < best->size())) best = std::move(block);
  }
  return best ? std::move(*best) : ByteVector{};
}

}  // namespace Dexal
