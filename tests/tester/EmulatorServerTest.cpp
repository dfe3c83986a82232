// The emulator's server over a real pseudo-terminal, with the downloader's own link.
#include <gtest/gtest.h>

#include <chrono>

#include "link/DexalCmd.h"
#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "platform/WideText.h"
#include "tester/DemoTester.h"
#include "tester/TesterServer.h"
#include "tests/tester/EmulatorTestSupport.h"

namespace Dexal {
namespace {

using Clock = std::chrono::steady_clock;

TesterScenario ThreeResults() {
  TesterScenario s;
  s.identity.serialNumber = "SIM-42";
  for (std::uint8_t i = 0; i < 3; ++i) {
    StoredResult r;
    r.criteria = {0x06, 0x01, 0x10, 0x01, 0x01, static_cast<std::uint8_t>('A' + i)};
    r.data.assign(4000, static_cast<std::uint8_t>(i));
    s.results.push_back(r);
  }
  return s;
}

TEST(EmulatorServer, AnswersAResultCountOverThePty) {
  TesterServer server(ThreeResults());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  ASSERT_EQ(server.PortPath().rfind("/dev/", 0), 0u) << server.PortPath();
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(server.PortPath()))) << link.ErrorText();
  DexalPerformCmd perform(&link);
  DexalCmdResultCount count;
  ASSERT_TRUE(perform.visit(count));
  EXPECT_EQ(count.resultCount, 3u);
  DexalCmdSerialNumber serial;
  ASSERT_TRUE(perform.visit(serial));
  EXPECT_EQ(serial.serialNumber, "SIM-42");
  const auto log = server.Requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].code, TesterCode::ResultCount);
  EXPECT_EQ(log[0].sequence, 1);  // the first request after Open
  EXPECT_EQ(log[1].sequence, 2);
  server.Stop();
  server.Stop();  // twice is harmless
}

TEST(EmulatorServer, DemoResultsArriveWithMatchingCrcs) {
  TesterServer server(DemoTesterScenario());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(server.PortPath())));
  DexalPerformCmd perform(&link);
  DexalCmdResultCount count;
  ASSERT_TRUE(perform.visit(count));
  ASSERT_GE(count.resultCount, 12u);
  for (std::uint16_t i = 0; i < count.resultCount; ++i) {
    DexalCmdResultInfo info(i);
    ASSERT_TRUE(perform.visit(info));
    if (info.criteriaSize + info.dataSize > 4088) continue;  // single-chunk results only
    DexalCmdResultData data(&info, "x");
    ASSERT_TRUE(perform.visit(data));
    EXPECT_TRUE(DexalSerialLink::CheckCrc(data.criteriaSegment, data.criteriaCrc)) << i;
    EXPECT_TRUE(DexalSerialLink::CheckCrc(data.dataSegment, data.dataCrc)) << i;
  }
  DexalCmdEndDownload end;
  EXPECT_TRUE(perform.visit(end));
  EXPECT_TRUE(server.WaitForEndDownload(std::chrono::seconds(2)));
  EXPECT_TRUE(server.EndDownloadReceived());
}

TEST(EmulatorServer, LateReplyMissesTheTimeOutAndTheRetryGetsThrough) {
  TesterServer server(ThreeResults());
  server.AddFault(ParseFault("late:300@1"));
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(server.PortPath())));
  ASSERT_TRUE(link.WriteFrame({1, 0, 0x20, 0x28}));
  ByteVector reply;
  const auto start = Clock::now();
  ASSERT_TRUE(link.ReadFrame(reply, 200));
  EXPECT_TRUE(reply.empty());
  ASSERT_TRUE(link.ReadFrame(reply, 400));  // the late one arrives after all
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
  ASSERT_EQ(reply.size(), 12u);
  EXPECT_EQ(U16(reply, 2), 1);
}

TEST(EmulatorServer, ClosedLineLeavesTheDownloaderWithoutReply) {
  TesterServer server(ThreeResults());
  server.AddFault(ParseFault("close@1"));
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(server.PortPath())));
  ASSERT_TRUE(link.WriteFrame({1, 0, 0x20, 0x28}));
  EXPECT_TRUE(server.WaitForEndDownload(std::chrono::seconds(2)));  // finished by the close
  ByteVector reply;
  link.ReadFrame(reply, 200);  // fails or times out, depending on the OS
  EXPECT_TRUE(reply.empty());
  server.Stop();
}

TEST(EmulatorServer, PacingGivesAReplyAtLeastItsWireTime) {
  auto run = [](bool pace) {
    TesterServer server(ThreeResults(), {"", pace});
    std::string error;
    EXPECT_TRUE(server.Start(error)) << error;
    DexalSerialLink link;
    EXPECT_TRUE(link.Open(WideTextFromUtf8(server.PortPath())));
    // The whole first block: 4022 reply bytes, at least 4030 on the wire.
    ByteVector request{1, 0, 0x22, 0x28};
    const ByteVector payload = U32Bytes({0, 0, 4096});
    request.insert(request.end(), payload.begin(), payload.end());
    const auto start = Clock::now();
    EXPECT_TRUE(link.WriteFrame(request));
    ByteVector reply;
    EXPECT_TRUE(link.ReadFrame(reply, 1000));
    EXPECT_EQ(reply.size(), 4022u);
    return Clock::now() - start;
  };
  const auto wire = std::chrono::microseconds((4030 + 24) * 10'000'000LL / 921'600);  // ~44 ms
  EXPECT_GE(run(true), wire);
  EXPECT_LT(run(false), wire);
}

TEST(EmulatorServer, StopsCleanlyWithoutAClient) {
  TesterServer server(ThreeResults());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  const auto start = Clock::now();
  server.Stop();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  TesterServer never(ThreeResults());
  never.Stop();  // never started
}

TEST(EmulatorServer, MissingDeviceIsReported) {
  TesterServer server(ThreeResults(), {"/dev/no-such-tester-device", false});
  std::string error;
  EXPECT_FALSE(server.Start(error));
  EXPECT_NE(error.find("/dev/no-such-tester-device"), std::string::npos) << error;
}

}  // namespace
}  // namespace Dexal
