// The emulator's server over a real pseudo-terminal, with the downloader's own link.
#include <gtest/gtest.h>

#include <chrono>

#include "link/DexalCmd.h"
#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "platform/WideText.h"
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

// The end-download reply must still be readable after the server has seen the end: a server
// that closed its side at once would throw it away unread.
TEST(EmulatorServer, EndDownloadReplyWaitsForTheDownloaderToClose) {
  TesterServer server(ThreeResults());
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(server.PortPath())));
  ASSERT_TRUE(link.WriteFrame({2, 0, 0x23, 0x28}));
  ASSERT_TRUE(server.WaitForEndDownload(std::chrono::seconds(2)));
  EXPECT_FALSE(server.WaitForClientToClose(std::chrono::milliseconds(200)));
  ByteVector reply;
  ASSERT_TRUE(link.ReadFrame(reply, 500));
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(U16(reply, 0), 0x2823);
  link.Close();
  EXPECT_TRUE(server.WaitForClientToClose(std::chrono::seconds(2)));
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
