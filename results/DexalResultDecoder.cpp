#include "results/DexalResultDecoder.h"

#include <stdexcept>

#include "results/FieldReaders.h"
#include "results/SampleDecoder.h"

namespace Dexal {
namespace {

// Data-segment tags.
enum Tag : std::uint32_t {
  kComment = 0x11,
  kTag12Code = 0x12,
  kSampleOffset = 0x13,
  kVoltsPerCount = 0x14,
  kNominalLoad = 0x15,
  kLoadOhms = 0x16,
  kSimWaveform = 0x17,
  kSamples = 0x19,
  kChargeTime = 0x1A,
  kSynchTime = 0x1B,
  kPacerModel = 0x1C,
  kEcgInverted = 0x1D,
  kPulseRate = 0x1F,
  kPulsedRefractoryPeriod = 0x20,
  kSensedRefractoryPeriod = 0x21,
  kSensitivity = 0x22,
  kPulseWidth = 0x24,
};

// One item of the data segment.
struct Item {
  const ByteVector& segment;
  std::size_t position;
  std::uint32_t length;

  [[nodiscard]] std::string String() const { return StringFromVector(segment, position, length); }
  [[nodiscard]] std::uint8_t Byte() const { return ByteFromVector(segment, position); }
  [[nodiscard]] bool Flag() const { return FlagFromVector(segment, position); }
  [[nodiscard]] std::uint16_t Word() const { return WordFromVector(segment, position); }
  [[nodiscard]] float Float() const { return FloatFromVector(segment, position); }
  [[nodiscard]] DexalSimWaveForm SimWaveForm() const {
    return SimWaveFormFromVector(segment, position);
  }
};

// The criteria segment, then every item of the data segment through accept(tag, item), which
// stores the value and says whether the class takes that tag.
template <class Accept>
bool Decode(DexalResult& record, const char* headerFailed, const char* tagRejected,
            Accept&& accept) {
  CriteriaFromVector(record);
  const ByteVector& segment = record.resultData->dataSegment;
  WalkSegment(segment, headerFailed, tagRejected,
              [&](std::uint32_t tag, std::size_t position, std::uint32_t length) {
                return accept(tag, Item{segment, position, length});
              });
  return true;
}

// The comment, calibration and load tags that every measuring test carries.
bool MeasurementTag(DexalResult& record, std::uint32_t tag, const Item& item) {
  switch (tag) {
    case kComment:
      record.comment = item.String();
      return true;
    case kTag12Code:
      record.tag12Code = item.Byte();
      return true;
    case kSampleOffset:
      record.sampleOffset = item.Word();
      return true;
    case kVoltsPerCount:
      record.voltsPerCount = item.Float();
      return true;
    case kNominalLoad:
      record.nominalLoad = item.Word();
      return true;
    case kLoadOhms:
      record.loadOhms = item.Float();
      return true;
    default:
      return false;
  }
}

// A new profile with the calibration read so far replaces the old one before its samples are
// decoded, so a failure leaves it attached without samples.
bool ProfileTag(DexalResult& record, std::unique_ptr<DexalProfile>& profile, std::uint32_t tag,
                const Item& item) {
  if (tag != kSamples) return false;
  profile =
      std::make_unique<DexalProfile>(record.sampleOffset, record.voltsPerCount, record.loadOhms);
  std::optional<SampleArray> samples = SamplesFromVector(item.segment, item.position, item.length);
  SetProfileData(*profile, samples ? std::move(*samples) : SampleArray());
  return true;
}

bool SimWaveformTag(DexalSimWaveForm& setting, std::uint32_t tag, const Item& item) {
  if (tag != kSimWaveform) return false;
  setting = item.SimWaveForm();
  return true;
}

bool PacerTag(std::uint16_t& pacerModel, float& pulseRate, std::uint32_t tag, const Item& item) {
  switch (tag) {
    case kPacerModel:
      pacerModel = item.Word();
      return true;
    case kPulseRate:
      pulseRate = item.Float();
      return true;
    default:
      return false;
  }
}

bool FloatTag(float& field, std::uint32_t wanted, std::uint32_t tag, const Item& item) {
  if (tag != wanted) return false;
  field = item.Float();
  return true;
}

// A pacer pulse has no charge or synchronisation time: the tester may send them only as 0.
bool ZeroTag(std::uint32_t wanted, std::uint32_t tag, const Item& item, const char* nonZero) {
  if (tag != wanted) return false;
  if (!(item.Float() == 0.0f)) throw std::runtime_error(nonZero);
  return true;
}

}  // namespace

bool DexalResultDecoder::visit(DexalDefibPulseTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalDefibPulseTest",
                "Unexpected data. Tag not recognised in DexalDefibPulseTest",
                [&](std::uint32_t tag, const Item& item) {
                  return MeasurementTag(result, tag, item) ||
                         ProfileTag(result, result.profile, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalDefibChargeTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalDefibChargeTest",
                "Unexpected data. Tag not recognised in DexalDefibChargeTest",
                [&](std::uint32_t tag, const Item& item) {
                  return MeasurementTag(result, tag, item) ||
                         ProfileTag(result, result.profile, tag, item) ||
                         FloatTag(result.chargeTime, kChargeTime, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalDefibSynchTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalDefibSynchTest",
                "Unexpected data. Tag not recognised in DexalDefibSynchTest",
                [&](std::uint32_t tag, const Item& item) {
                  return MeasurementTag(result, tag, item) ||
                         SimWaveformTag(result.simWaveform, tag, item) ||
                         ProfileTag(result, result.profile, tag, item) ||
                         FloatTag(result.synchTime, kSynchTime, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalAEDPulseTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalAEDPulseTest",
                "Unexpected data. Tag not recognised in DexalAEDPulseTest",
                [&](std::uint32_t tag, const Item& item) {
                  return MeasurementTag(result, tag, item) ||
                         SimWaveformTag(result.simWaveform, tag, item) ||
                         ProfileTag(result, result.profile, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalPacerPulseTest& result) {
  return Decode(
      result, "Failed to read a data Tag in DexalPacerPulseTest",
      "Unexpected data. Tag not recognised in DexalPacerPulseTest",
      [&](std::uint32_t tag, const Item& item) {
        return MeasurementTag(result, tag, item) || SimWaveformTag(result.simWaveform, tag, item) ||
               ProfileTag(result, result.profile, tag, item) ||
               PacerTag(result.pacerModel, result.pulseRate, tag, item) ||
               ZeroTag(kChargeTime, tag, item,
                       "Unexpected data. result contained Charge Time DexalPacerPulseTest") ||
               ZeroTag(kSynchTime, tag, item,
                       "Unexpected data. result contained Sync Time DexalPacerPulseTest");
      });
}

bool DexalResultDecoder::visit(DexalRefractoryPeriodTest& result) {
  return Decode(
      result, "Failed to read a data Tag in DexalRefractoryPeriodTest",
      "Unexpected data. Tag not recognised in DexalRefractoryPeriodTest",
      [&](std::uint32_t tag, const Item& item) {
        return MeasurementTag(result, tag, item) || SimWaveformTag(result.simWaveform, tag, item) ||
               PacerTag(result.pacerModel, result.pulseRate, tag, item) ||
               FloatTag(result.pulsedRefractoryPeriod, kPulsedRefractoryPeriod, tag, item) ||
               FloatTag(result.sensedRefractoryPeriod, kSensedRefractoryPeriod, tag, item) ||
               FloatTag(result.pulseWidth, kPulseWidth, tag, item);
      });
}

bool DexalResultDecoder::visit(DexalSensitivityTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalSensitivityTest",
                "Unexpected data. Tag not recognised in DexalSensitivityTest",
                [&](std::uint32_t tag, const Item& item) {
                  if (tag == kEcgInverted) {
                    result.ecgInverted = item.Flag();
                    return true;
                  }
                  return MeasurementTag(result, tag, item) ||
                         SimWaveformTag(result.simWaveform, tag, item) ||
                         PacerTag(result.pacerModel, result.pulseRate, tag, item) ||
                         FloatTag(result.sensitivity, kSensitivity, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalPacerImmunityTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalPacerImmunity",
                "Unexpected data. Tag not recognised in DexalPacerImmunity",
                [&](std::uint32_t tag, const Item& item) {
                  return MeasurementTag(result, tag, item) ||
                         SimWaveformTag(result.simWaveform, tag, item) ||
                         PacerTag(result.pacerModel, result.pulseRate, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalWaveformSimulatorTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalWaveformSimulator",
                "Unexpected data. Tag not recognised in DexalWaveformSimulator",
                [&](std::uint32_t tag, const Item& item) {
                  if (tag == kComment) {
                    result.comment = item.String();
                    return true;
                  }
                  return SimWaveformTag(result.simWaveform, tag, item);
                });
}

bool DexalResultDecoder::visit(DexalGeneralObservationTest& result) {
  return Decode(result, "Failed to read a data Tag in DexalGeneralComment",
                "Unexpected data. Tag not recognised in DexalGeneralComment",
                [&](std::uint32_t tag, const Item& item) {
                  if (tag != kComment) return false;
                  result.observation = item.String();
                  return true;
                });
}

}  // namespace Dexal
