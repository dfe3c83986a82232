#include "results/DexalResultDecoder.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ResultTestSupport.h"

namespace Dexal {
namespace {

using testing::CriteriaOfType;
using testing::Decode;
using testing::DecodeError;
using testing::ResultData;

struct ClassInfo {
  std::uint8_t code;
  const char* word;  // the class word of its messages
  // Accepted data tags.
  std::vector<std::uint32_t> tags;
};

const std::vector<std::uint32_t> kMeasurement{0x11, 0x12, 0x13, 0x14, 0x15, 0x16};

std::vector<std::uint32_t> With(std::vector<std::uint32_t> extra) {
  std::vector<std::uint32_t> tags = kMeasurement;
  tags.insert(tags.end(), extra.begin(), extra.end());
  return tags;
}

const ClassInfo kClasses[] = {
    {0x10, "DexalDefibPulseTest", With({0x19})},
    {0x11, "DexalDefibChargeTest", With({0x19, 0x1A})},
    {0x12, "DexalDefibSynchTest", With({0x17, 0x19, 0x1B})},
    {0x20, "DexalAEDPulseTest", With({0x17, 0x19})},
    {0x30, "DexalPacerPulseTest", With({0x17, 0x19, 0x1A, 0x1B, 0x1C, 0x1F})},
    {0x31, "DexalRefractoryPeriodTest", With({0x17, 0x1C, 0x1F, 0x20, 0x21, 0x24})},
    {0x32, "DexalSensitivityTest", With({0x17, 0x1C, 0x1D, 0x1F, 0x22})},
    {0x33, "DexalPacerImmunity", With({0x17, 0x1C, 0x1F})},
    {0x02, "DexalWaveformSimulator", {0x11, 0x17}},
    {0x01, "DexalGeneralComment", {0x11}},
};

// Eight bytes that every reader can take: a ten-sample mode 0 block for tag 0x19, zeros
// otherwise (so the pacer's must-be-zero floats pass).
ByteVector ValueFor(std::uint32_t tag) {
  if (tag == 0x19) return {0x00, 0x00, 0x0A, 0, 0, 0, 0, 0};
  return ByteVector(8, 0);
}

TEST(DexalResultDecoder, EveryClassTakesExactlyItsTagsAndNamesItselfOtherwise) {
  for (const ClassInfo& info : kClasses) {
    for (std::uint32_t tag = 0; tag <= 0x30; ++tag) {
      const ByteVector data = SegmentWriter().Bytes(tag, ValueFor(tag)).Data();
      const DexalCmdResultData result = ResultData(CriteriaOfType(info.code), data);
      const bool accepted = std::find(info.tags.begin(), info.tags.end(), tag) != info.tags.end();
      const std::string expected =
          accepted ? "" : std::string("Unexpected data. Tag not recognised in ") + info.word;
      EXPECT_EQ(DecodeError(result), expected) << info.word << " tag 0x" << std::hex << tag;
    }
    const DexalCmdResultData truncated = ResultData(CriteriaOfType(info.code), {0x11});
    EXPECT_EQ(DecodeError(truncated), std::string("Failed to read a data Tag in ") + info.word);
    // The criteria segment is read first, with its own messages.
    const DexalCmdResultData badCriteria =
        ResultData(SegmentWriter().Byte(6, info.code).Byte(9, 0).Data());
    EXPECT_EQ(DecodeError(badCriteria),
              "Unexpected data. Tag not recognised in result criteria segment");
  }
}

TEST(DexalResultDecoder, EmptyDataSegmentKeepsInitialValues) {
  const DexalCmdResultData result = ResultData(CriteriaOfType(0x10));
  auto record = Decode(result);
  auto& defib = dynamic_cast<DexalDefibPulseTest&>(*record);
  EXPECT_EQ(defib.profile, nullptr);
  EXPECT_EQ(defib.assetId, "A-7");
  EXPECT_EQ(defib.testType, 0x10);
  EXPECT_EQ(defib.status, 0);
  EXPECT_EQ(defib.loadOhms, 0.0f);
}

TEST(DexalResultDecoder, NoResultDataIsAnError) {
  DexalDefibPulseTest record(nullptr);
  DexalResultDecoder decoder;
  try {
    record.accept(decoder);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "No raw data associated with this result");
  }
}

TEST(DexalResultDecoder, PacerPulseTakesChargeAndSynchTimeOnlyAsZero) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    std::uint32_t tag;
    float value;
    std::string error;
  };
  const std::string charge = "Unexpected data. result contained Charge Time DexalPacerPulseTest";
  const std::string synch = "Unexpected data. result contained Sync Time DexalPacerPulseTest";
  const Case cases[] = {
      {0x1A, 0.0f, ""}, {0x1A, -0.0f, ""}, {0x1A, 1.5f, charge},  {0x1A, nan, charge},
      {0x1B, 0.0f, ""}, {0x1B, -0.0f, ""}, {0x1B, 1e-30f, synch}, {0x1B, nan, synch},
  };
  for (const Case& c : cases) {
    const auto result = ResultData(CriteriaOfType(0x30),
                                   SegmentWriter().Float(0x1F, 60.0f).Float(c.tag, c.value).Data());
    EXPECT_EQ(DecodeError(result), c.error) << c.tag << " " << c.value;
  }
}

// A 10-sample mode 1 block: 256, 261, ..., 301.
const ByteVector kRamp{0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5, 5, 5, 5, 5, 5};

TEST(DexalResultDecoder, ProfileTakesTheCalibrationReadBeforeIt) {
  const auto result = ResultData(CriteriaOfType(0x10), SegmentWriter()
                                                           .Float(0x14, 0.5f)
                                                           .Float(0x16, 50.0f)
                                                           .Bytes(0x19, kRamp)
                                                           .Word(0x13, 256)
                                                           .Float(0x16, 25.0f)
                                                           .Data());
  auto record = Decode(result);
  auto& defib = dynamic_cast<DexalDefibPulseTest&>(*record);
  ASSERT_NE(defib.profile, nullptr);
  EXPECT_EQ(defib.sampleOffset, 256);  // the record has the later values...
  EXPECT_EQ(defib.loadOhms, 25.0f);
  EXPECT_EQ(defib.profile->sampleOffset, 0);  // ...the profile those before the samples
  EXPECT_EQ(defib.profile->loadOhms, 50.0f);
  EXPECT_EQ(defib.profile->maxVoltage, 301 * 0.5f);
  EXPECT_EQ(defib.profile->points.size(), 10u);
}

TEST(DexalResultDecoder, SecondSampleBlockReplacesTheFirstProfile) {
  ByteVector zeros{0x00, 0x00, 0x0C};  // twelve zero samples
  const auto result = ResultData(CriteriaOfType(0x20), SegmentWriter()
                                                           .Float(0x14, 1.0f)
                                                           .Float(0x16, 50.0f)
                                                           .Bytes(0x19, kRamp)
                                                           .Word(0x13, 100)
                                                           .Bytes(0x19, zeros)
                                                           .Data());
  auto record = Decode(result);
  auto& aed = dynamic_cast<DexalAEDPulseTest&>(*record);
  ASSERT_NE(aed.profile, nullptr);
  EXPECT_EQ(aed.profile->sampleCount, 12);
  EXPECT_EQ(aed.profile->sampleOffset, 100);
  EXPECT_EQ(aed.profile->minVoltage, -100.0f);
}

TEST(DexalResultDecoder, FailedSampleBlockLeavesAnEmptyProfileAttached) {
  struct Case {
    ByteVector value;
    std::uint32_t declared;
    std::string error;
  };
  const Case cases[] = {
      {{0x00, 0x00, 0x09}, 3, "Sample Count zero when setting profile data"},
      {{0x00, 0x7A, 0x13}, 3, "Sample Count zero when setting profile data"},  // 31251
      {{0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5}, 8, "invalid vector<T> subscript"},
      {kRamp, 40, "SamplesFromVector: Not enough bytes left to provide the value requested."},
  };
  for (const Case& c : cases) {
    const auto result =
        ResultData(CriteriaOfType(0x11),
                   SegmentWriter().String(0x11, "before").Item(0x19, c.declared, c.value).Data());
    std::unique_ptr<DexalResult> record = CreateResult(&result);
    DexalResultDecoder decoder;
    try {
      record->accept(decoder);
      ADD_FAILURE() << "no error for " << c.error;
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), c.error);
    }
    auto& charge = dynamic_cast<DexalDefibChargeTest&>(*record);
    EXPECT_EQ(charge.comment, "before");
    ASSERT_NE(charge.profile, nullptr);
    EXPECT_TRUE(charge.profile->samples.empty());
  }
}

}  // namespace
}  // namespace Dexal
