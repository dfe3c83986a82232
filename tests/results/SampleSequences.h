#pragma once

// Sample sequences for round trips through the compressor and the decoder: random walks,
// plateaus, the 16-bit edges and noise, all drawn from a seeded generator.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace Dexal::testing {

using Samples = std::vector<std::uint16_t>;

inline int Uniform(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

inline std::uint16_t Clamp16(double value) {
  return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

// Steps of up to maxStep either way, stopping at 0 and 0xFFFF so the edges are reached.
inline Samples RandomWalk(std::mt19937& rng, std::size_t count, int maxStep) {
  Samples samples;
  samples.reserve(count);
  int value = Uniform(rng, 0, 65535);
  for (std::size_t i = 0; i < count; ++i) {
    samples.push_back(static_cast<std::uint16_t>(value));
    value = std::clamp(value + Uniform(rng, -maxStep, maxStep), 0, 65535);
  }
  return samples;
}

// Runs of one value with jumps of any size between them.
inline Samples Plateaus(std::mt19937& rng, std::size_t count) {
  Samples samples;
  samples.reserve(count);
  while (samples.size() < count) {
    const auto value = static_cast<std::uint16_t>(Uniform(rng, 0, 65535));
    const std::size_t run = std::min<std::size_t>(count - samples.size(),
                                                  static_cast<std::size_t>(Uniform(rng, 1, 300)));
    samples.insert(samples.end(), run, value);
  }
  return samples;
}

// Only 0, 1, 0xFFFE and 0xFFFF: every change is a full-scale jump or a step of one.
inline Samples Edges(std::mt19937& rng, std::size_t count) {
  static constexpr std::uint16_t kValues[] = {0, 1, 0xFFFE, 0xFFFF};
  Samples samples;
  samples.reserve(count);
  for (std::size_t i = 0; i < count; ++i) samples.push_back(kValues[Uniform(rng, 0, 3)]);
  return samples;
}

// The samples with noise of up to noise counts either way, kept inside 16 bits.
inline Samples WithNoise(std::mt19937& rng, Samples samples, int noise) {
  for (std::uint16_t& sample : samples) sample = Clamp16(sample + Uniform(rng, -noise, noise));
  return samples;
}

}  // namespace Dexal::testing
