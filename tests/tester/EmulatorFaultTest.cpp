// The text form of the emulated tester's faults, as given on its command line and in scenarios.
// What each fault does to a download is the end-to-end fault matrix's business.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace Dexal
