// Random records of every test type written the way the tester stores them, items in random
// order, decoded back field by field.

#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "RandomRecords.h"
#include "ResultTestSupport.h"
#include "results/DexalResult.h"

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

// The profile holds the samples and the calibration read before them.
void ExpectProfile(const DexalProfile* profile, const Fields& want) {
  ASSERT_EQ(profile != nullptr, want.samples.has_value());
  if (profile == nullptr) return;
  const Samples& samples = *want.samples;
  ASSERT_EQ(profile->samples, samples);
  EXPECT_EQ(profile->sampleCount, samples.size());
  EXPECT_EQ(profile->sampleOffset, want.profileOffset);
  EXPECT_SAME_FLOAT(profile->voltsPerCount, want.profileScale);
  EXPECT_SAME_FLOAT(profile->loadOhms, want.profileLoad);
  // The analysis of these samples is the profile tests' business; here it must have run.
  EXPECT_EQ(profile->points.size(), want.profileLoad == 0.0f ? 0 : samples.size());
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

}  // namespace
}  // namespace Dexal
