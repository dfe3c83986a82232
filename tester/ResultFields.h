#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/ByteVector.h"
#include "tester/PulseShapes.h"
#include "tester/SampleCompressor.h"
#include "tester/SegmentWriter.h"
#include "tester/TesterScenario.h"

namespace Dexal {

// The emulator writes results from codes and tags of its own rather than the decoder's, so that a
// round trip checks one against the other.
namespace TestType {
constexpr std::uint8_t GeneralObservation = 0x01;
constexpr std::uint8_t WaveformSimulator = 0x02;
constexpr std::uint8_t DefibPulse = 0x10;
constexpr std::uint8_t DefibCharge = 0x11;
constexpr std::uint8_t DefibSynch = 0x12;
constexpr std::uint8_t AEDPulse = 0x20;
constexpr std::uint8_t PacerPulse = 0x30;
constexpr std::uint8_t RefractoryPeriod = 0x31;
constexpr std::uint8_t Sensitivity = 0x32;
constexpr std::uint8_t PacerImmunity = 0x33;
}  // namespace TestType

// Scenario name of a test type ("defib-pulse"), or empty for a code the tester does not know.
std::string_view TestTypeName(std::uint8_t code);
std::optional<std::uint8_t> TestTypeFromName(std::string_view name);

struct SimulatorSetting {
  std::uint8_t waveform = 0;
  std::uint8_t extra = 0;
  std::uint16_t rate = 0;  // tenths of the waveform's unit
  std::int16_t peakMicrovolts = 0;
};

// The captured pulse: given sample by sample or drawn from a shape.
struct PulseSettings {
  enum class Shape { Samples, Biphasic, Monophasic, Pacer };
  Shape shape = Shape::Samples;
  std::vector<std::uint16_t> samples;
  double joules = 0.0;     // defibrillator shapes
  double widthMs = 0.0;    // pacer
  double milliamps = 0.0;  // pacer
  std::size_t sampleCount = kFullPulseSamples;
  std::optional<SampleMode> mode;  // none: the smallest encoding
};

// One result described field by field; unset fields are left out of the segments.
struct ResultFields {
  std::string assetId, assetMake, assetModel, assetSerial;
  TesterDate date{2024, 1, 1, 9, 0, 0};
  std::uint8_t testType = TestType::DefibPulse;
  std::uint8_t status = 1;             // 1 pass, 0 fail
  std::optional<std::string> comment;  // the observation text of a general-comments result
  std::optional<std::uint8_t> tag12;
  std::optional<std::uint16_t> sampleOffset;
  std::optional<float> voltsPerCount;
  std::optional<std::uint16_t> nominalLoad;
  std::optional<float> loadOhms;
  std::optional<SimulatorSetting> simulator;
  std::optional<PulseSettings> pulse;
  std::optional<float> chargeTime;  // seconds
  std::optional<float> synchTime;   // seconds
  std::optional<std::uint16_t> pacerModel;
  std::optional<bool> ecgInverted;
  std::optional<float> pulseRate;               // pulses per minute
  std::optional<float> pulsedRefractoryPeriod;  // seconds
  std::optional<float> sensedRefractoryPeriod;  // seconds
  std::optional<float> sensitivity;             // volts
  std::optional<float> pulseWidth;              // seconds
  std::uint32_t infoValue = 0;

  // Escapes for malformed results: segments as given bytes, stored CRCs and reported sizes.
  std::optional<ByteVector> rawCriteria;
  std::optional<ByteVector> rawData;
  std::optional<std::uint32_t> criteriaCrc;
  std::optional<std::uint32_t> dataCrc;
  std::optional<std::uint16_t> criteriaSize;
  std::optional<std::uint16_t> dataSize;
};

// The calibration a pulse is drawn with: the result's own fields, defaults for unset ones.
PulseCalibration CalibrationOf(const ResultFields& fields);
std::vector<std::uint16_t> PulseSamples(const PulseSettings& pulse, const PulseCalibration& cal);

ByteVector CriteriaSegmentFrom(const ResultFields& fields);
ByteVector DataSegmentFrom(const ResultFields& fields);

// The result as stored. Throws std::invalid_argument naming the field when a field does not
// belong to the test type or a pulse cannot be drawn.
StoredResult StoredResultFrom(const ResultFields& fields);

}  // namespace Dexal
