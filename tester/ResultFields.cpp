#include "tester/ResultFields.h"

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
void Check(const ResultFields& fields, bool present, std::uint32_t tag, std::string_view field) {
  const TypeInfo* type = TypeOf(fields.testType);
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

PulseCalibration CalibrationOf(const ResultFields& fields) {
  PulseCalibration cal;
  if (fields.pulse && fields.pulse->shape == PulseSettings::Shape::Pacer) {
    cal.voltsPerCount = 0.001f;
  }
  if (fields.sampleOffset) cal.sampleOffset = *fields.sampleOffset;
  if (fields.voltsPerCount) cal.voltsPerCount = *fields.voltsPerCount;
  if (fields.loadOhms) cal.loadOhms = *fields.loadOhms;
  return cal;
}

std::vector<std::uint16_t> PulseSamples(const PulseSettings& pulse, const PulseCalibration& cal) {
  switch (pulse.shape) {
    case PulseSettings::Shape::Biphasic:
      return BiphasicDefibPulse(pulse.joules, cal, pulse.sampleCount);
    case PulseSettings::Shape::Monophasic:
      return MonophasicDefibPulse(pulse.joules, cal, pulse.sampleCount);
    case PulseSettings::Shape::Pacer:
      return PacerPulse(pulse.widthMs, pulse.milliamps, cal, pulse.sampleCount);
    case PulseSettings::Shape::Samples:
      break;
  }
  return pulse.samples;
}

ByteVector CriteriaSegmentFrom(const ResultFields& fields) {
  if (fields.rawCriteria) return *fields.rawCriteria;
  SegmentWriter writer;
  writer.String(1, fields.assetId)
      .String(2, fields.assetMake)
      .String(3, fields.assetModel)
      .String(4, fields.assetSerial)
      .DateTime(5, fields.date)
      .Byte(6, fields.testType)
      .Byte(7, fields.status);
  return writer.Data();
}

ByteVector DataSegmentFrom(const ResultFields& fields) {
  if (fields.rawData) return *fields.rawData;
  Check(fields, fields.tag12.has_value(), 0x12, "tag12");
  Check(fields, fields.sampleOffset.has_value(), 0x13, "sampleOffset");
  Check(fields, fields.voltsPerCount.has_value(), 0x14, "voltsPerCount");
  Check(fields, fields.nominalLoad.has_value(), 0x15, "nominalLoad");
  Check(fields, fields.loadOhms.has_value(), 0x16, "loadOhms");
  Check(fields, fields.simulator.has_value(), 0x17, "simulator");
  Check(fields, fields.pulse.has_value(), 0x19, "pulse");
  Check(fields, fields.chargeTime.has_value(), 0x1A, "chargeTime");
  Check(fields, fields.synchTime.has_value(), 0x1B, "synchTime");
  Check(fields, fields.pacerModel.has_value(), 0x1C, "pacerModel");
  Check(fields, fields.ecgInverted.has_value(), 0x1D, "ecgInverted");
  Check(fields, fields.pulseRate.has_value(), 0x1F, "pulseRate");
  Check(fields, fields.pulsedRefractoryPeriod.has_value(), 0x20, "pulsedRefractoryPeriod");
  Check(fields, fields.sensedRefractoryPeriod.has_value(), 0x21, "sensedRefractoryPeriod");
  Check(fields, fields.sensitivity.has_value(), 0x22, "sensitivity");
  Check(fields, fields.pulseWidth.has_value(), 0x24, "pulseWidth");

  SegmentWriter w;
  if (fields.comment) w.String(0x11, *fields.comment);
  if (fields.tag12) w.Byte(0x12, *fields.tag12);
  // A drawn pulse only reads back right with its calibration ahead of it.
  const PulseCalibration cal = CalibrationOf(fields);
  const bool drawn = fields.pulse.has_value();
  if (fields.sampleOffset || drawn) w.Word(0x13, cal.sampleOffset);
  if (fields.voltsPerCount || drawn) w.Float(0x14, cal.voltsPerCount);
  if (fields.nominalLoad) w.Word(0x15, *fields.nominalLoad);
  if (fields.loadOhms || drawn) w.Float(0x16, cal.loadOhms);
  if (const auto& sim = fields.simulator) {
    w.SimWaveForm(0x17, sim->waveform, sim->extra, sim->rate, sim->peakMicrovolts);
  }
  if (fields.chargeTime) w.Float(0x1A, *fields.chargeTime);
  if (fields.synchTime) w.Float(0x1B, *fields.synchTime);
  if (fields.pacerModel) w.Word(0x1C, *fields.pacerModel);
  if (fields.ecgInverted) w.Byte(0x1D, *fields.ecgInverted ? 1 : 0);
  if (fields.pulseRate) w.Float(0x1F, *fields.pulseRate);
  if (fields.pulsedRefractoryPeriod) w.Float(0x20, *fields.pulsedRefractoryPeriod);
  if (fields.sensedRefractoryPeriod) w.Float(0x21, *fields.sensedRefractoryPeriod);
  if (fields.sensitivity) w.Float(0x22, *fields.sensitivity);
  if (fields.pulseWidth) w.Float(0x24, *fields.pulseWidth);
  if (drawn) {
    const auto samples = PulseSamples(*fields.pulse, cal);
    if (fields.pulse->mode) {
      auto block = CompressSamples(samples, *fields.pulse->mode);
      if (!block) {
        throw std::invalid_argument("field \"pulse\": its samples cannot be stored in mode " +
                                    std::to_string(static_cast<int>(*fields.pulse->mode)));
      }
      w.Bytes(0x19, *block);
    } else {
      w.Bytes(0x19, CompressSmallest(samples));
    }
  }
  return w.Data();
}

StoredResult StoredResultFrom(const ResultFields& fields) {
  StoredResult result;
  result.criteria = CriteriaSegmentFrom(fields);
  result.data = DataSegmentFrom(fields);
  if (result.criteria.size() > 65531 || result.data.size() > 65531) {
    throw std::invalid_argument("a segment of more than 65531 bytes has no size to report");
  }
  result.infoValue = fields.infoValue;
  result.criteriaCrc = fields.criteriaCrc;
  result.dataCrc = fields.dataCrc;
  result.criteriaSize = fields.criteriaSize;
  result.dataSize = fields.dataSize;
  return result;
}

}  // namespace Dexal
