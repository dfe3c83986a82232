// Random records of every test type written the way the tester stores them, items in random
// order, decoded back field by field; pulse values checked against a computation of their own.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "RandomRecords.h"
#include "ResultTestSupport.h"
#include "results/DexalResult.h"
#include "tester/SampleCompressor.h"

namespace Dexal {
namespace {

using testing::Fields;
using testing::Samples;
using testing::TestClass;
using testing::Uniform;

#define EXPECT_SAME_FLOAT(actual, expected) \
  EXPECT_EQ(std::bit_cast<std::uint32_t>(actual), std::bit_cast<std::uint32_t>(expected)) << #actual

void ExpectProfile(const DexalProfile* profile, const Fields& want);

// Compares each record class with the expected fields; visit tells which class it was.
class FieldChecker : public DexalResultVisitor {
 public:
  explicit FieldChecker(const Fields& want) : want_(want) {}
  std::uint8_t visited = 0;

  bool visit(DexalDefibPulseTest& r) override { return Common(r, 0x10, r.profile.get()); }
  bool visit(DexalDefibChargeTest& r) override {
    EXPECT_SAME_FLOAT(r.chargeTime, want_.chargeTime);
    return Common(r, 0x11, r.profile.get());
  }
  bool visit(DexalDefibSynchTest& r) override {
    Sim(r.simWaveform);
    EXPECT_SAME_FLOAT(r.synchTime, want_.synchTime);
    return Common(r, 0x12, r.profile.get());
  }
  bool visit(DexalAEDPulseTest& r) override {
    Sim(r.simWaveform);
    return Common(r, 0x20, r.profile.get());
  }
  bool visit(DexalPacerPulseTest& r) override {
    Sim(r.simWaveform);
    Pacer(r.pacerModel, r.pulseRate);
    return Common(r, 0x30, r.profile.get());
  }
  bool visit(DexalRefractoryPeriodTest& r) override {
    Sim(r.simWaveform);
    Pacer(r.pacerModel, r.pulseRate);
    EXPECT_SAME_FLOAT(r.pulsedRefractoryPeriod, want_.pulsedRefractoryPeriod);
    EXPECT_SAME_FLOAT(r.sensedRefractoryPeriod, want_.sensedRefractoryPeriod);
    EXPECT_SAME_FLOAT(r.pulseWidth, want_.pulseWidth);
    return Common(r, 0x31, nullptr);
  }
  bool visit(DexalSensitivityTest& r) override {
    Sim(r.simWaveform);
    Pacer(r.pacerModel, r.pulseRate);
    EXPECT_EQ(r.ecgInverted, want_.ecgInverted);
    EXPECT_SAME_FLOAT(r.sensitivity, want_.sensitivity);
    return Common(r, 0x32, nullptr);
  }
  bool visit(DexalPacerImmunityTest& r) override {
    Sim(r.simWaveform);
    Pacer(r.pacerModel, r.pulseRate);
    return Common(r, 0x33, nullptr);
  }
  bool visit(DexalWaveformSimulatorTest& r) override {
    Sim(r.simWaveform);
    return Common(r, 0x02, nullptr);
  }
  bool visit(DexalGeneralObservationTest& r) override {
    EXPECT_EQ(r.observation, want_.observation);
    return Common(r, 0x01, nullptr);
  }

 private:
  bool Common(const DexalResult& r, std::uint8_t code, const DexalProfile* profile) {
    visited = code;
    EXPECT_EQ(r.testerSerial, "T1234");
    EXPECT_EQ(r.assetId, want_.assetId);
    EXPECT_EQ(r.assetMake, want_.assetMake);
    EXPECT_EQ(r.assetModel, want_.assetModel);
    EXPECT_EQ(r.assetSerial, want_.assetSerial);
    EXPECT_EQ(r.comment, want_.comment);
    EXPECT_EQ(r.testDate, want_.testDate);
    EXPECT_EQ(r.testType, want_.testType);
    EXPECT_EQ(r.status, want_.status);
    EXPECT_EQ(r.tag12Code, want_.tag12Code);
    EXPECT_EQ(r.sampleOffset, want_.sampleOffset);
    EXPECT_SAME_FLOAT(r.voltsPerCount, want_.voltsPerCount);
    EXPECT_EQ(r.nominalLoad, want_.nominalLoad);
    EXPECT_SAME_FLOAT(r.loadOhms, want_.loadOhms);
    ExpectProfile(profile, want_);
    return true;
  }
  void Sim(const DexalSimWaveForm& s) {
    EXPECT_EQ(s.waveform, want_.simWaveform.waveform);
    EXPECT_EQ(s.extra, want_.simWaveform.extra);
    EXPECT_EQ(s.rate, want_.simWaveform.rate);
    EXPECT_SAME_FLOAT(s.peak, want_.simWaveform.peak);
  }
  void Pacer(std::uint16_t model, float rate) {
    EXPECT_EQ(model, want_.pacerModel);
    EXPECT_SAME_FLOAT(rate, want_.pulseRate);
  }
  const Fields& want_;
};

// The pulse values worked out here from the samples and the calibration.
void ExpectProfile(const DexalProfile* profile, const Fields& want) {
  ASSERT_EQ(profile != nullptr, want.samples.has_value());
  if (profile == nullptr) return;
  const Samples& samples = *want.samples;
  ASSERT_EQ(profile->samples, samples);
  EXPECT_EQ(profile->sampleCount, samples.size());
  EXPECT_EQ(profile->sampleOffset, want.profileOffset);
  EXPECT_SAME_FLOAT(profile->voltsPerCount, want.profileScale);
  EXPECT_SAME_FLOAT(profile->loadOhms, want.profileLoad);
  const int offset = want.profileOffset;
  const float scale = want.profileScale;
  const float load = want.profileLoad;
  if (load == 0.0f) {
    EXPECT_TRUE(profile->points.empty());
    for (float value : {profile->energy, profile->peakVoltage, profile->peakCurrent,
                        profile->maxVoltage, profile->minVoltage}) {
      EXPECT_EQ(value, 0.0f);
    }
    return;
  }
  double squares = 0.0;  // exact: below 2^53 for 31250 samples
  int highest = 0;
  int lowest = 65535;
  for (std::uint16_t s : samples) {
    squares += static_cast<double>(s - offset) * static_cast<double>(s - offset);
    highest = std::max<int>(highest, s);
    lowest = std::min<int>(lowest, s);
  }
  const double joules = squares * scale * scale / (static_cast<double>(load) * 250000.0);
  EXPECT_FLOAT_EQ(profile->energy, static_cast<float>(joules));
  const float top = static_cast<float>(highest - offset) * scale;
  const float bottom = static_cast<float>(lowest - offset) * scale;
  EXPECT_FLOAT_EQ(profile->maxVoltage, top);
  EXPECT_FLOAT_EQ(profile->minVoltage, bottom);
  const float peak = std::max(std::fabs(top), std::fabs(bottom));
  EXPECT_FLOAT_EQ(profile->peakVoltage, peak);
  EXPECT_FLOAT_EQ(profile->peakCurrent, peak / load);

  // Width: first to last sample further from the offset than a tenth of the peak's distance.
  const int peakSample = std::fabs(bottom) > std::fabs(top) ? lowest : highest;
  const int band = std::abs(peakSample - offset) / 10;
  std::optional<std::size_t> first, last;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(samples[i] - offset) > band) {
      if (!first) first = i;
      last = i;
    }
  }
  const float width = first && *last > *first
                          ? static_cast<float>(static_cast<double>(*last - *first + 1) / 250000.0)
                          : 0.0f;
  EXPECT_FLOAT_EQ(profile->pulseWidth, width);

  ASSERT_EQ(profile->points.size(), samples.size());
  for (std::size_t i = 0; i < samples.size(); i += 97) {
    EXPECT_NEAR(profile->points[i].timeMs, static_cast<double>(i) * 0.004, 1e-9);
    EXPECT_EQ(profile->points[i].value,
              static_cast<double>(static_cast<float>(samples[i] - offset) * scale));
  }
}

TEST(RecordRoundTrip, RandomRecordsOfEveryTypeDecodeFieldByField) {
  std::mt19937 rng(424242);
  for (const TestClass& cls : testing::Classes()) {
    for (int round = 0; round < 25; ++round) {
      SCOPED_TRACE(std::string(cls.name) + " round " + std::to_string(round));
      Fields expected;
      std::vector<testing::Item> criteria = testing::CriteriaItems(rng, cls.code);
      std::vector<testing::Item> data;
      for (std::uint32_t tag : cls.tags) {
        // Most tags once, some left out, some twice so that the later value must win.
        for (int copies = Uniform(rng, 0, 9) < 2    ? 0
                          : Uniform(rng, 1, 4) == 4 ? 2
                                                    : 1;
             copies > 0; --copies) {
          data.push_back(testing::DataItem(rng, cls, tag));
        }
      }
      DexalCmdResultData result(nullptr, "T1234");
      result.criteriaSegment = testing::WriteInOrder(criteria, rng, expected);
      result.dataSegment = testing::WriteInOrder(data, rng, expected);

      std::unique_ptr<DexalResult> record = CreateResult(&result);
      ASSERT_TRUE(record);
      DexalResultDecoder decoder;
      ASSERT_TRUE(record->accept(decoder));
      FieldChecker checker(expected);
      EXPECT_TRUE(record->accept(checker));
      EXPECT_EQ(checker.visited, cls.code);
    }
  }
}

// Samples right at the edges of the quiet band, one tenth of the peak around the offset: those
// on the edge are quiet, one count further is not.
TEST(RecordRoundTrip, PulseWidthAtTheEdgesOfTheQuietBand) {
  std::mt19937 rng(31);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int offset = Uniform(rng, 0, 1) == 0 ? 1000 : 60000;
    const int peak = Uniform(rng, 10, 500);
    const int band = peak / 10;
    const int levels[] = {0, 0, 0, band, -band, band + 1, -band - 1, peak, -peak};
    Samples samples(static_cast<std::size_t>(Uniform(rng, 10, 60)));
    for (std::uint16_t& s : samples)
      s = static_cast<std::uint16_t>(offset + levels[Uniform(rng, 0, 8)]);
    // At least one sample at the peak, so the band is a tenth of it whichever side wins.
    samples[static_cast<std::size_t>(Uniform(rng, 0, static_cast<int>(samples.size()) - 1))] =
        static_cast<std::uint16_t>(offset + (Uniform(rng, 0, 1) == 0 ? peak : -peak));

    Fields want;
    want.samples = samples;
    want.profileOffset = static_cast<std::uint16_t>(offset);
    want.profileScale = 0.5f;
    want.profileLoad = 50.0f;
    const ByteVector data = SegmentWriter()
                                .Word(0x13, want.profileOffset)
                                .Float(0x14, want.profileScale)
                                .Float(0x16, want.profileLoad)
                                .Bytes(0x19, CompressSmallest(samples))
                                .Data();
    const DexalCmdResultData result = testing::ResultData(testing::CriteriaOfType(0x10), data);
    const std::unique_ptr<DexalResult> record = testing::Decode(result);
    ExpectProfile(dynamic_cast<const DexalDefibPulseTest&>(*record).profile.get(), want);
  }
}

// Every tag the class does not take, placed among valid items, is refused by name.
TEST(RecordRoundTrip, TagsOutsideTheClassAreRefused) {
  const char* const kClassWord[] = {"DexalDefibPulseTest",    "DexalDefibChargeTest",
                                    "DexalDefibSynchTest",    "DexalAEDPulseTest",
                                    "DexalPacerPulseTest",    "DexalRefractoryPeriodTest",
                                    "DexalSensitivityTest",   "DexalPacerImmunity",
                                    "DexalWaveformSimulator", "DexalGeneralComment"};
  std::mt19937 rng(99);
  for (std::size_t c = 0; c < testing::Classes().size(); ++c) {
    const TestClass& cls = testing::Classes()[c];
    for (std::uint32_t tag = 0; tag <= 0x26; ++tag) {
      if (cls.tags.count(tag) != 0) continue;
      const ByteVector data = SegmentWriter()
                                  .String(0x11, testing::RandomText(rng))
                                  .Item(tag, 8, ByteVector(8, 0))
                                  .Data();
      const DexalCmdResultData result =
          testing::ResultData(testing::CriteriaOfType(cls.code), data);
      EXPECT_EQ(testing::DecodeError(result),
                std::string("Unexpected data. Tag not recognised in ") + kClassWord[c])
          << cls.name << " tag " << tag;
    }
  }
}

}  // namespace
}  // namespace Dexal
