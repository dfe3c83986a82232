// Faults of the emulated tester: their text form and what each does to a reply.
#include <gtest/gtest.h>

#include "link/Crc32.h"
#include "tests/tester/EmulatorTestSupport.h"

namespace Dexal {
namespace {

TEST(FaultText, ParsesKindValueTriggerAndCount) {
  const Fault late = ParseFault("late:450@3");
  EXPECT_EQ(late.kind, FaultKind::LateReply);
  EXPECT_EQ(late.value, 450u);
  EXPECT_EQ(late.requestNumber, 3u);
  EXPECT_FALSE(late.code);

  const Fault seq = ParseFault("wrong-seq@0x2822*2");
  EXPECT_EQ(seq.kind, FaultKind::WrongSequence);
  EXPECT_EQ(seq.code, 0x2822);
  EXPECT_FALSE(seq.requestNumber);
  EXPECT_EQ(seq.times, 2u);

  EXPECT_EQ(ParseFault("status@1").value, 2u);  // default status
  EXPECT_EQ(ParseFault("split@1").value, 3u);
}

TEST(FaultText, RoundTripsThroughItsText) {
  for (const char* text :
       {"wrong-seq@1", "swap@0x2900", "bad-crc@2*1", "no-reply@4", "late:250@5", "noise:3@0x2820",
        "split:1@2", "status:5@0x2821*3", "silence@7", "bad-stored-crc:3@0x2822", "close@9"}) {
    EXPECT_EQ(FaultToText(ParseFault(text)), text);
  }
}

TEST(FaultText, RejectsMalformedTextsNamingTheProblem) {
  struct Case {
    const char* text;
    const char* mentions;
  };
  const Case cases[] = {
      {"late:300", "KIND[:VALUE]@WHEN"}, {"slow@3", "unknown kind \"slow\""},
      {"late:abc@3", "bad value"},       {"late@0", "start at 1"},
      {"late@x", "bad request number"},  {"late@0x12345", "too large"},
      {"late@3*", "bad count"},          {"late@-1", "bad request number"},
  };
  for (const auto& c : cases) {
    try {
      ParseFault(c.text);
      ADD_FAILURE() << c.text << " was accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos)
          << c.text << ": " << e.what();
    }
  }
}

TesterScenario OneResult() {
  TesterScenario s;
  StoredResult r;
  r.criteria = {0x06, 0x01, 0x10};
  r.data = {0x12, 0x01, 0x05};
  s.results.push_back(r);
  return s;
}

ReplyPlan Plan(TesterCore& core, std::uint16_t sequence, std::uint16_t code,
               const ByteVector& payload = {}) {
  auto plans = core.Feed(RequestFrame(sequence, code, payload));
  EXPECT_EQ(plans.size(), 1u);
  return plans.empty() ? ReplyPlan{} : plans[0];
}

TEST(Faults, HeaderFaultsChangeOnlyTheTriggeredReply) {
  TesterCore core(OneResult());
  core.AddFault(ParseFault("wrong-seq@1"));
  core.AddFault(ParseFault("swap@2"));
  core.AddFault(ParseFault("status:4@3"));
  const auto wrong = FrameData(Plan(core, 10, TesterCode::ResultCount).bytes);
  ASSERT_TRUE(wrong);
  EXPECT_EQ(U16(*wrong, 0), TesterCode::ResultCount);
  EXPECT_EQ(U16(*wrong, 2), 11);
  const auto swapped = FrameData(Plan(core, 11, TesterCode::ResultCount).bytes);
  ASSERT_TRUE(swapped);
  EXPECT_EQ(U16(*swapped, 0), 11);
  EXPECT_EQ(U16(*swapped, 2), TesterCode::ResultCount);
  const auto status = FrameData(Plan(core, 12, TesterCode::ResultCount).bytes);
  ASSERT_TRUE(status);
  EXPECT_EQ(U16(*status, 4), 4);
  EXPECT_EQ(U16(*status, 2), 12);
  const auto clean = FrameData(Plan(core, 13, TesterCode::ResultCount).bytes);
  ASSERT_TRUE(clean);
  EXPECT_EQ(U16(*clean, 2), 13);
  EXPECT_EQ(U16(*clean, 4), 0);
  EXPECT_EQ(clean->size(), 12u);
}

TEST(Faults, CorruptCrcFrameIsDroppedByAReceiver) {
  TesterCore core(OneResult());
  core.AddFault(ParseFault("bad-crc@1"));
  const ReplyPlan plan = Plan(core, 1, TesterCode::ResultCount);
  ASSERT_FALSE(plan.bytes.empty());
  EXPECT_FALSE(FrameData(plan.bytes));
  // Whatever the last CRC byte is (escaped or not), the frame stays well formed but fails.
  for (std::uint8_t x = 0; x < 255; ++x) {
    const ByteVector data{x, 0x20, 0x28, 0, 0, 0, 0, 0};
    const ByteVector frame = EncodeFrameWithBadCrc(data);
    FrameReceiver receiver;
    bool got = false;
    for (std::uint8_t b : frame) got = receiver.Feed(b) || got;
    EXPECT_FALSE(got) << int(x);
    EXPECT_EQ(receiver.DroppedFrames(), 1u) << int(x);
    EXPECT_EQ(frame.size(), EncodeFrame(data).size()) << int(x);
  }
}

TEST(Faults, TimingAndDeliveryFaultsShapeThePlan) {
  TesterCore core(OneResult());
  core.AddFault(ParseFault("late:350@1"));
  core.AddFault(ParseFault("split:2@1"));  // two faults on one request combine
  core.AddFault(ParseFault("noise:5@2"));
  core.AddFault(ParseFault("no-reply@3"));
  const ReplyPlan late = Plan(core, 1, TesterCode::ResultCount);
  EXPECT_EQ(late.delayMs, 350u);
  EXPECT_EQ(late.pieceSize, 2u);
  EXPECT_TRUE(FrameData(late.bytes));
  const ReplyPlan noisy = Plan(core, 2, TesterCode::ResultCount);
  ASSERT_GT(noisy.bytes.size(), 5u);
  EXPECT_EQ(noisy.bytes[5], kFrameStart);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_NE(noisy.bytes[i], kFrameStart);
  EXPECT_TRUE(FrameData(noisy.bytes));
  EXPECT_TRUE(Plan(core, 3, TesterCode::ResultCount).bytes.empty());
  const ReplyPlan normal = Plan(core, 4, TesterCode::ResultCount);
  EXPECT_EQ(normal.delayMs, 0u);
  EXPECT_EQ(normal.pieceSize, 0u);
  EXPECT_EQ(normal.bytes[0], kFrameStart);
}

TEST(Faults, CodeTriggerFiresOnEveryRequestOfThatCodeUpToItsCount) {
  TesterCore core(OneResult());
  core.AddFault(ParseFault("no-reply@0x2821*2"));
  EXPECT_TRUE(Plan(core, 1, TesterCode::ResultInfo, U32Bytes({0})).bytes.empty());
  EXPECT_FALSE(Plan(core, 2, TesterCode::ResultCount).bytes.empty());  // other codes pass
  EXPECT_TRUE(Plan(core, 3, TesterCode::ResultInfo, U32Bytes({0})).bytes.empty());
  EXPECT_FALSE(Plan(core, 4, TesterCode::ResultInfo, U32Bytes({0})).bytes.empty());

  TesterCore always(OneResult());
  always.AddFault(ParseFault("status:3@0x2820"));
  for (std::uint16_t seq = 1; seq <= 4; ++seq) {
    EXPECT_EQ(U16(*FrameData(Plan(always, seq, TesterCode::ResultCount).bytes), 4), 3);
  }
}

TEST(Faults, SilenceLastsFromItsRequestOn) {
  TesterCore core(OneResult());
  core.AddFault(ParseFault("silence@2"));
  EXPECT_FALSE(Plan(core, 1, TesterCode::ResultCount).bytes.empty());
  for (std::uint16_t seq = 2; seq <= 5; ++seq) {
    EXPECT_TRUE(Plan(core, seq, TesterCode::ResultCount).bytes.empty()) << seq;
  }
  EXPECT_EQ(core.Requests().size(), 5u);  // still heard and logged
  // A silenced end-download still ends the download.
  Plan(core, 6, TesterCode::EndDownload);
  EXPECT_TRUE(core.EndDownloadReceived());
}

TEST(Faults, CloseLineEndsAllReplies) {
  TesterCore core(OneResult());
  core.AddFault(ParseFault("close@2"));
  EXPECT_FALSE(Plan(core, 1, TesterCode::ResultCount).closeLine);
  const ReplyPlan closing = Plan(core, 2, TesterCode::ResultCount);
  EXPECT_TRUE(closing.closeLine);
  EXPECT_TRUE(closing.bytes.empty());
  EXPECT_TRUE(core.LineClosed());
  EXPECT_TRUE(core.Feed(RequestFrame(3, TesterCode::ResultCount)).empty());
}

TEST(Faults, BadStoredCrcCorruptsTheChosenSegmentCrc) {
  const auto scenario = OneResult();
  const auto& r = scenario.results[0];
  const std::uint32_t criteriaCrc = CrcUpdate(kCrcInitial, r.criteria.data(), r.criteria.size());
  const std::uint32_t dataCrc = CrcUpdate(kCrcInitial, r.data.data(), r.data.size());
  struct Case {
    const char* fault;
    bool criteriaBad, dataBad;
  };
  for (const Case c :
       {Case{"bad-stored-crc:1@1", true, false}, Case{"bad-stored-crc@1", false, true},
        Case{"bad-stored-crc:3@1", true, true}}) {
    TesterCore core(scenario);
    core.AddFault(ParseFault(c.fault));
    const auto reply = FrameData(Plan(core, 1, TesterCode::ResultData, U32Bytes({0, 0, 22})).bytes);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->size(), 8u + 14u);
    EXPECT_EQ(U32(*reply, 11) != criteriaCrc, c.criteriaBad) << c.fault;
    EXPECT_EQ(U32(*reply, 18) != dataCrc, c.dataBad) << c.fault;
    // The fault is for that request only.
    const auto again = FrameData(Plan(core, 2, TesterCode::ResultData, U32Bytes({0, 0, 22})).bytes);
    ASSERT_TRUE(again);
    EXPECT_EQ(U32(*again, 11), criteriaCrc);
    EXPECT_EQ(U32(*again, 18), dataCrc);
  }
}

TEST(Faults, StoredCrcOverrideIsServedAsGiven) {
  auto scenario = OneResult();
  scenario.results[0].dataCrc = 0x12345678;
  TesterCore core(scenario);
  const auto reply = FrameData(Plan(core, 1, TesterCode::ResultData, U32Bytes({0, 0, 22})).bytes);
  ASSERT_TRUE(reply);
  EXPECT_EQ(U32(*reply, 18), 0x12345678u);
}

TEST(Faults, ScenarioFaultsApplyFromTheStart) {
  auto scenario = OneResult();
  scenario.faults.push_back(ParseFault("no-reply@1"));
  TesterCore core(scenario);
  EXPECT_TRUE(Plan(core, 1, TesterCode::ResultCount).bytes.empty());
  EXPECT_FALSE(Plan(core, 2, TesterCode::ResultCount).bytes.empty());
}

}  // namespace
}  // namespace Dexal
