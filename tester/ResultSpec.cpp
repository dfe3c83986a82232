#include "tester/ResultSpec.h"

#include <array>
#include <initializer_list>
#include <stdexcept>

namespace Dexal {
namespace {

struct TypeInfo {
  std::uint8_t code;
  std::string_view name;
  std::initializer_list<std::uint32_t> tags;  // data-segment tags this type takes
};

// The data tags of each test type; 0x11 (comment or observation) is taken by all.
const std::array<TypeInfo, 10> kTypes{{
    {TestType::GeneralObservation, "general-comments", {0x11}},
    {TestType::WaveformSimulator, "waveform-simulation", {0x11, 0x17}},
    {TestType::DefibPulse, "defib-pulse", {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x19}},
    {TestType::DefibCharge, "defib-charge", {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x19, 0x1A}},
    {TestType::DefibSynch, "defib-synch", {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x19, 0x1B}},
    {TestType::AEDPulse, "aed-pulse", {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x19}},
    {TestType::PacerPulse,
     "pacer-pulse",
     {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x19, 0x1A, 0x1B, 0x1C, 0x1F}},
    {TestType::RefractoryPeriod,
     "refractory-period",
     {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x1C, 0x1F, 0x20, 0x21, 0x24}},
    {TestType::Sensitivity,
     "sensitivity",
     {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x1C, 0x1D, 0x1F, 0x22}},
    {TestType::PacerImmunity,
     "pacer-immunity",
     {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x1C, 0x1F}},
}};

const TypeInfo* TypeOf(std::uint8_t code) {
  for (const auto& type : kTypes) {
    if (type.code == code) return &type;
  }
  return nullptr;
}

// Refuses a field the test type has no place for (unknown types take anything).
void Check(const ResultSpec& spec, bool present, std::uint32_t tag, std::string_view field) {
  const TypeInfo* type = TypeOf(spec.testType);
  if (!present || type == nullptr) return;
  for (std::uint32_t accepted : type->tags) {
    if (accepted == tag) return;
  }
  throw std::invalid_argument("field \"" + std::string(field) + "\" does not belong to a " +
                              std::string(type->name) + " result");
}

}  // namespace

std::string_view TestTypeName(std::uint8_t code) {
  const TypeInfo* type = TypeOf(code);
  return type != nullptr ? type->name : std::string_view{};
}

std::optional<std::uint8_t> TestTypeFromName(std::string_view name) {
  for (const auto& type : kTypes) {
    if (type.name == name) return type.code;
  }
  return std::nullopt;
}

PulseCalibration CalibrationOf(const ResultSpec& spec) {
  PulseCalibration cal;
  if (spec.pulse && spec.pulse->shape == PulseSpec::Shape::Pacer) cal.voltsPerCount = 0.001f;
  if (spec.sampleOffset) cal.sampleOffset = *spec.sampleOffset;
  if (spec.voltsPerCount) cal.voltsPerCount = *spec.voltsPerCount;
  if (spec.loadOhms) cal.loadOhms = *spec.loadOhms;
  return cal;
}

std::vector<std::uint16_t> PulseSamples(const PulseSpec& pulse, const PulseCalibration& cal) {
  switch (pulse.shape) {
    case PulseSpec::Shape::Biphasic:
      return BiphasicDefibPulse(pulse.joules, cal, pulse.sampleCount);
    case PulseSpec::Shape::Monophasic:
      return MonophasicDefibPulse(pulse.joules, cal, pulse.sampleCount);
    case PulseSpec::Shape::Pacer:
      return PacerPulse(pulse.widthMs, pulse.milliamps, cal, pulse.sampleCount);
    case PulseSpec::Shape::Samples:
      break;
  }
  return pulse.samples;
}

ByteVector CriteriaSegmentFrom(const ResultSpec& spec) {
  if (spec.rawCriteria) return *spec.rawCriteria;
  SegmentWriter writer;
  writer.String(1, spec.assetId)
      .String(2, spec.assetMake)
      .String(3, spec.assetModel)
      .String(4, spec.assetSerial)
      .DateTime(5, spec.date)
      .Byte(6, spec.testType)
      .Byte(7, spec.status);
  return writer.Data();
}

ByteVector DataSegmentFrom(const ResultSpec& spec) {
  if (spec.rawData) return *spec.rawData;
  Check(spec, spec.tag12.has_value(), 0x12, "tag12");
  Check(spec, spec.sampleOffset.has_value(), 0x13, "sampleOffset");
  Check(spec, spec.voltsPerCount.has_value(), 0x14, "voltsPerCount");
  Check(spec, spec.nominalLoad.has_value(), 0x15, "nominalLoad");
  Check(spec, spec.loadOhms.has_value(), 0x16, "loadOhms");
  Check(spec, spec.simulator.has_value(), 0x17, "simulator");
  Check(spec, spec.pulse.has_value(), 0x19, "pulse");
  Check(spec, spec.chargeTime.has_value(), 0x1A, "chargeTime");
  Check(spec, spec.synchTime.has_value(), 0x1B, "synchTime");
  Check(spec, spec.pacerModel.has_value(), 0x1C, "pacerModel");
  Check(spec, spec.ecgInverted.has_value(), 0x1D, "ecgInverted");
  Check(spec, spec.pulseRate.has_value(), 0x1F, "pulseRate");
  Check(spec, spec.pulsedRefractoryPeriod.has_value(), 0x20, "pulsedRefractoryPeriod");
  Check(spec, spec.sensedRefractoryPeriod.has_value(), 0x21, "sensedRefractoryPeriod");
  Check(spec, spec.sensitivity.has_value(), 0x22, "sensitivity");
  Check(spec, spec.pulseWidth.has_value(), 0x24, "pulseWidth");

  SegmentWriter w;
  if (spec.comment) w.String(0x11, *spec.comment);
  if (spec.tag12) w.Byte(0x12, *spec.tag12);
  // A drawn pulse only reads back right with its calibration ahead of it.
  const PulseCalibration cal = CalibrationOf(spec);
  const bool drawn = spec.pulse.has_value();
  if (spec.sampleOffset || drawn) w.Word(0x13, cal.sampleOffset);
  if (spec.voltsPerCount || drawn) w.Float(0x14, cal.voltsPerCount);
  if (spec.nominalLoad) w.Word(0x15, *spec.nominalLoad);
  if (spec.loadOhms || drawn) w.Float(0x16, cal.loadOhms);
  if (const auto& sim = spec.simulator) {
    w.SimWaveForm(0x17, sim->waveform, sim->extra, sim->rate, sim->peakMicrovolts);
  }
  if (spec.chargeTime) w.Float(0x1A, *spec.chargeTime);
  if (spec.synchTime) w.Float(0x1B, *spec.synchTime);
  if (spec.pacerModel) w.Word(0x1C, *spec.pacerModel);
  if (spec.ecgInverted) w.Byte(0x1D, *spec.ecgInverted ? 1 : 0);
  if (spec.pulseRate) w.Float(0x1F, *spec.pulseRate);
  if (spec.pulsedRefractoryPeriod) w.Float(0x20, *spec.pulsedRefractoryPeriod);
  if (spec.sensedRefractoryPeriod) w.Float(0x21, *spec.sensedRefractoryPeriod);
  if (spec.sensitivity) w.Float(0x22, *spec.sensitivity);
  if (spec.pulseWidth) w.Float(0x24, *spec.pulseWidth);
  if (drawn) {
    const auto samples = PulseSamples(*spec.pulse, cal);
    if (spec.pulse->mode) {
      auto block = CompressSamples(samples, *spec.pulse->mode);
      if (!block) {
        throw std::invalid_argument("field \"pulse\": its samples cannot be stored in mode " +
                                    std::to_string(static_cast<int>(*spec.pulse->mode)));
      }
      w.Bytes(0x19, *block);
    } else {
      w.Bytes(0x19, CompressSmallest(samples));
    }
  }
  return w.Data();
}

StoredResult StoredResultFrom(const ResultSpec& spec) {
  StoredResult result;
  result.criteria = CriteriaSegmentFrom(spec);
  result.data = DataSegmentFrom(spec);
  if (result.criteria.size() > 65531 || result.data.size() > 65531) {
    throw std::invalid_argument("a segment of more than 65531 bytes has no size to report");
  }
  result.infoValue = spec.infoValue;
  result.criteriaCrc = spec.criteriaCrc;
  result.dataCrc = spec.dataCrc;
  result.criteriaSize = spec.criteriaSize;
  result.dataSize = spec.dataSize;
  return result;
}

}  // namespace Dexal
