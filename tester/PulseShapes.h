#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Dexal {

// The tester's sampling, one sample every 4 us. The emulator keeps its own copy rather than the
// decoder's, so that a round trip checks one against the other.
constexpr double kSampleSeconds = 4e-6;
constexpr std::size_t kFullPulseSamples = 31250;  // 125 ms

// How raw counts become volts and current, as the result reports it.
struct PulseCalibration {
  std::uint16_t sampleOffset = 32768;  // count that stands for 0 V
  float voltsPerCount = 0.1f;
  float loadOhms = 50.0f;
};

// Captured pulses as the tester would record them. Each throws std::invalid_argument when the
// pulse cannot be drawn with the calibration (no load, not enough samples, beyond 16 bits).

// Biphasic truncated exponential (6 ms then 4 ms of reversed polarity), scaled to the energy.
std::vector<std::uint16_t> BiphasicDefibPulse(double joules, const PulseCalibration& cal,
                                              std::size_t count = kFullPulseSamples);
// Monophasic damped sine, scaled to the energy.
std::vector<std::uint16_t> MonophasicDefibPulse(double joules, const PulseCalibration& cal,
                                                std::size_t count = kFullPulseSamples);
// Rectangular pacer pulse of the width and current into the load.
std::vector<std::uint16_t> PacerPulse(double widthMs, double milliamps, const PulseCalibration& cal,
                                      std::size_t count = kFullPulseSamples);

// Energy in joules delivered into the load by the samples.
double PulseEnergy(const std::vector<std::uint16_t>& samples, const PulseCalibration& cal);

}  // namespace Dexal
