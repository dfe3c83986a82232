#include "tester/PulseShapes.h"

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>

namespace Dexal {
namespace {

constexpr double kDelaySeconds = 1e-3;   // quiet line before the pulse
constexpr double kCapacitance = 100e-6;  // sets the exponential's time constant with the load

void CheckCalibration(const PulseCalibration& cal, std::size_t count) {
  if (!(cal.loadOhms > 0.0f)) throw std::invalid_argument("pulse needs a load above 0 ohms");
  if (!(cal.voltsPerCount > 0.0f)) throw std::invalid_argument("pulse needs voltsPerCount above 0");
  if (count < 10 || count > kFullPulseSamples) {
    throw std::invalid_argument("pulse sample count must be 10 to 31250");
  }
}

std::uint16_t CountFromVolts(double volts, const PulseCalibration& cal) {
  const double count = cal.sampleOffset + std::round(volts / cal.voltsPerCount);
  if (count < 0.0 || count > 65535.0) {
    throw std::invalid_argument("pulse of " + std::to_string(volts) +
                                " V does not fit 16-bit samples at this calibration");
  }
  return static_cast<std::uint16_t>(count);
}

// Samples of peak * shape(t), with the peak scaled until the samples carry the energy.
std::vector<std::uint16_t> ScaledToEnergy(double joules, const PulseCalibration& cal,
                                          std::size_t count,
                                          const std::function<double(double)>& shape) {
  CheckCalibration(cal, count);
  if (!(joules > 0.0)) throw std::invalid_argument("pulse energy must be above 0 J");
  auto draw = [&](double peak) {
    std::vector<std::uint16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
      samples[i] = CountFromVolts(peak * shape(static_cast<double>(i) * kSampleSeconds), cal);
    }
    return samples;
  };
  double unit = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double v = shape(static_cast<double>(i) * kSampleSeconds);
    unit += v * v;
  }
  unit *= kSampleSeconds / cal.loadOhms;
  if (!(unit > 0.0)) throw std::invalid_argument("pulse does not fit the samples");
  double peak = std::sqrt(joules / unit);
  std::vector<std::uint16_t> samples;
  // Energy grows with the square of the peak; a few rounds absorb the rounding to counts.
  for (int round = 0; round < 6; ++round) {
    samples = draw(peak);
    const double energy = PulseEnergy(samples, cal);
    if (energy <= 0.0) throw std::invalid_argument("pulse too small for the sample resolution");
    if (std::fabs(energy - joules) < joules * 1e-4) break;
    peak *= std::sqrt(joules / energy);
  }
  return samples;
}

}  // namespace

double PulseEnergy(const std::vector<std::uint16_t>& samples, const PulseCalibration& cal) {
  double sum = 0.0;
  for (std::uint16_t s : samples) {
    const double volts = (static_cast<double>(s) - cal.sampleOffset) * cal.voltsPerCount;
    sum += volts * volts;
  }
  return sum / cal.loadOhms * kSampleSeconds;
}

std::vector<std::uint16_t> BiphasicDefibPulse(double joules, const PulseCalibration& cal,
                                              std::size_t count) {
  constexpr double kPhase1 = 6e-3;
  constexpr double kPhase2 = 4e-3;
  const double tau = cal.loadOhms * kCapacitance;
  return ScaledToEnergy(joules, cal, count, [tau](double t) {
    const double s = t - kDelaySeconds;
    if (s < 0.0 || s >= kPhase1 + kPhase2) return 0.0;
    if (s < kPhase1) return std::exp(-s / tau);
    return -std::exp(-s / tau);
  });
}

std::vector<std::uint16_t> MonophasicDefibPulse(double joules, const PulseCalibration& cal,
                                                std::size_t count) {
  constexpr double kRise = 2.5e-3;  // time of the peak
  constexpr double kEnd = 30e-3;
  return ScaledToEnergy(joules, cal, count, [](double t) {
    const double s = t - kDelaySeconds;
    if (s < 0.0 || s >= kEnd) return 0.0;
    return s / kRise * std::exp(1.0 - s / kRise);
  });
}

std::vector<std::uint16_t> PacerPulse(double widthMs, double milliamps, const PulseCalibration& cal,
                                      std::size_t count) {
  CheckCalibration(cal, count);
  const auto start = static_cast<std::size_t>(std::lround(kDelaySeconds / kSampleSeconds));
  const long width = std::lround(widthMs * 1e-3 / kSampleSeconds);
  if (width < 2 || start + static_cast<std::size_t>(width) > count) {
    throw std::invalid_argument("pacer pulse of " + std::to_string(widthMs) +
                                " ms does not fit the samples");
  }
  const std::uint16_t level = CountFromVolts(milliamps * 1e-3 * cal.loadOhms, cal);
  std::vector<std::uint16_t> samples(count, cal.sampleOffset);
  for (std::size_t i = start; i < start + static_cast<std::size_t>(width); ++i) samples[i] = level;
  return samples;
}

}  // namespace Dexal
