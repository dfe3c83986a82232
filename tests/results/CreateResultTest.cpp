#include "results/CreateResult.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "ResultTestSupport.h"

namespace Dexal {
namespace {

using testing::ResultData;

TEST(CreateResult, EachKnownCodeMakesItsClassAndNothingElseDoes) {
  const std::pair<std::uint8_t, const std::type_info*> known[] = {
      {0x01, &typeid(DexalGeneralObservationTest)}, {0x02, &typeid(DexalWaveformSimulatorTest)},
      {0x10, &typeid(DexalDefibPulseTest)},         {0x11, &typeid(DexalDefibChargeTest)},
      {0x12, &typeid(DexalDefibSynchTest)},         {0x20, &typeid(DexalAEDPulseTest)},
      {0x30, &typeid(DexalPacerPulseTest)},         {0x31, &typeid(DexalRefractoryPeriodTest)},
      {0x32, &typeid(DexalSensitivityTest)},        {0x33, &typeid(DexalPacerImmunityTest)},
  };
  int made = 0;
  for (int code = 0; code <= 0xFF; ++code) {
    DexalCmdResultData data =
        ResultData(SegmentWriter().Byte(6, static_cast<std::uint8_t>(code)).Data());
    std::unique_ptr<DexalResult> record = CreateResult(&data);
    const std::type_info* expected = nullptr;
    for (const auto& [c, type] : known) {
      if (c == code) expected = type;
    }
    if (expected == nullptr) {
      EXPECT_EQ(record, nullptr) << code;
      continue;
    }
    ASSERT_NE(record, nullptr) << code;
    EXPECT_EQ(typeid(*record), *expected) << code;
    EXPECT_EQ(record->resultData, &data);
    EXPECT_EQ(record->testerSerial, "T1234");
    EXPECT_EQ(record->status, 1);
    EXPECT_EQ(record->testType, 0);  // filled by the decoder, not the factory
    ++made;
  }
  EXPECT_EQ(made, 10);
}

TEST(TestTypeFromVector, FindsTheFirstTagSixPastLongValues) {
  const std::string longAsset(300, 'x');  // two-byte length
  DexalCmdResultData data = ResultData(
      SegmentWriter().String(1, longAsset).String(2, "M").Byte(6, 0x31).Byte(6, 0x10).Data());
  EXPECT_EQ(TestTypeFromVector(&data), 0x31);
  std::unique_ptr<DexalResult> record = CreateResult(&data);
  ASSERT_NE(record, nullptr);
  EXPECT_NE(dynamic_cast<DexalRefractoryPeriodTest*>(record.get()), nullptr);
}

TEST(TestTypeFromVector, EmptyMissingOrBareTagSixNamesNoTest) {
  DexalCmdResultData empty = ResultData({});
  EXPECT_EQ(TestTypeFromVector(&empty), 0);
  EXPECT_EQ(CreateResult(&empty), nullptr);
  DexalCmdResultData none = ResultData(SegmentWriter().String(1, "A").Byte(7, 1).Data());
  EXPECT_EQ(TestTypeFromVector(&none), 0);
  // Tag 6 last with no value byte: nothing beyond the segment is read.
  DexalCmdResultData bare = ResultData(SegmentWriter().String(1, "A").Item(6, 0, {}).Data());
  EXPECT_EQ(TestTypeFromVector(&bare), 0);
  EXPECT_EQ(CreateResult(&bare), nullptr);
  // A length past the end stops the search.
  DexalCmdResultData past =
      ResultData(SegmentWriter().Item(1, 0xFFFFFFF0u, {}).Byte(6, 0x10).Data());
  EXPECT_EQ(TestTypeFromVector(&past), 0);
}

TEST(TestTypeFromVector, UnreadableHeaderIsAnError) {
  for (const ByteVector& segment : {ByteVector{0x01}, ByteVector{0x01, 0x00, 0x86},
                                    ByteVector{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00}}) {
    DexalCmdResultData data = ResultData(segment);
    try {
      CreateResult(&data);
      ADD_FAILURE() << "no error for " << ::testing::PrintToString(segment);
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Failed to read a data Tag when searching for the test type");
    }
  }
}

// Records which operation ran and answers with a chosen value.
class RecordingVisitor : public DexalResultVisitor {
 public:
  explicit RecordingVisitor(bool answer) : answer_(answer) {}
  std::string seen;
  bool visit(DexalPacerImmunityTest&) override { return Saw("immunity"); }
  bool visit(DexalWaveformSimulatorTest&) override { return Saw("simulator"); }
  bool visit(DexalGeneralObservationTest&) override { return Saw("observation"); }
  bool visit(DexalSensitivityTest&) override { return Saw("sensitivity"); }
  bool visit(DexalRefractoryPeriodTest&) override { return Saw("refractory"); }
  bool visit(DexalPacerPulseTest&) override { return Saw("pacer"); }
  bool visit(DexalAEDPulseTest&) override { return Saw("aed"); }
  bool visit(DexalDefibSynchTest&) override { return Saw("synch"); }
  bool visit(DexalDefibPulseTest&) override { return Saw("defib"); }
  bool visit(DexalDefibChargeTest&) override { return Saw("charge"); }

 private:
  bool Saw(const char* name) {
    seen = name;
    return answer_;
  }
  bool answer_;
};

TEST(DexalResult, AcceptCallsItsOwnOperationAndPassesItsAnswerOn) {
  const std::pair<std::uint8_t, const char*> cases[] = {
      {0x01, "observation"}, {0x02, "simulator"}, {0x10, "defib"}, {0x11, "charge"},
      {0x12, "synch"},       {0x20, "aed"},       {0x30, "pacer"}, {0x31, "refractory"},
      {0x32, "sensitivity"}, {0x33, "immunity"},
  };
  for (const auto& [code, name] : cases) {
    DexalCmdResultData data = ResultData(SegmentWriter().Byte(6, code).Data());
    std::unique_ptr<DexalResult> record = CreateResult(&data);
    ASSERT_NE(record, nullptr);
    for (bool answer : {true, false}) {
      RecordingVisitor visitor(answer);
      EXPECT_EQ(record->accept(visitor), answer);
      EXPECT_EQ(visitor.seen, name);
    }
  }
}

}  // namespace
}  // namespace Dexal
