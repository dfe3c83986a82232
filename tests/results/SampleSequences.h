#pragma once

// Sample sequences for round trips through the compressor and the decoder: random walks,
// plateaus, the 16-bit edges and captured-looking pulses, all drawn from a seeded generator.

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

// Sample i of a capture of count samples at time i * 4 us, with noise of up to noise counts.
template <class Shape>
Samples Capture(std::mt19937& rng, std::size_t count, std::uint16_t offset, int noise,
                Shape&& shape) {
  Samples samples;
  samples.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double ms = static_cast<double>(i) * 0.004;
    samples.push_back(Clamp16(offset + shape(ms) + Uniform(rng, -noise, noise)));
  }
  return samples;
}

// Truncated exponential from 1 ms: 6 ms at one polarity, then 4 ms reversed.
inline Samples Biphasic(std::mt19937& rng, std::size_t count, std::uint16_t offset,
                        double peakCounts, int noise) {
  return Capture(rng, count, offset, noise, [peakCounts](double ms) {
    constexpr double kTauMs = 7.0;
    if (ms < 1.0 || ms >= 11.0) return 0.0;
    if (ms < 7.0) return peakCounts * std::exp(-(ms - 1.0) / kTauMs);
    return -peakCounts * std::exp(-6.0 / kTauMs) * std::exp(-(ms - 7.0) / kTauMs);
  });
}

// Damped half sine of 10 ms from 1 ms.
inline Samples Monophasic(std::mt19937& rng, std::size_t count, std::uint16_t offset,
                          double peakCounts, int noise) {
  return Capture(rng, count, offset, noise, [peakCounts](double ms) {
    constexpr double kPi = 3.14159265358979323846;
    if (ms < 1.0 || ms >= 11.0) return 0.0;
    const double t = ms - 1.0;
    return 1.6 * peakCounts * std::exp(-t / 4.0) * std::sin(kPi * t / 10.0);
  });
}

// Rectangular pacer pulse of widthMs from 2 ms.
inline Samples Pacer(std::mt19937& rng, std::size_t count, std::uint16_t offset, double counts,
                     double widthMs, int noise) {
  return Capture(rng, count, offset, noise, [counts, widthMs](double ms) {
    return (ms >= 2.0 && ms < 2.0 + widthMs) ? counts : 0.0;
  });
}

}  // namespace Dexal::testing
