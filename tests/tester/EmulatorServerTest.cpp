// The emulator's server over a real pseudo-terminal, with the downloader's own link.
#include <gtest/gtest.h>

#include <chrono>

#include "link/DexalCmd.h"
#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "platform/WideText.h"
#include "tester/TesterServer.h"
#include "tests/support/Bytes.h"

namespace Dexal {
namespace {

using Clock = std::chrono::steady_clock;

TesterScenario ThreeResults() {
  TesterScenario s;
  s.identity.serialNumber = "SIM-42";
  StoredResult r;
  r.criteria = {0x06, 0x01, 0x10, 0x01, 0x01, 0x41};
  r.data.assign(4000, 0x55);
  s.results.assign(3, r);
  return s;
}

// The server started on a pty, and the downloader's link open on it.
void Connect(TesterServer& server, DexalSerialLink& link) {
  std::string error;
  ASSERT_TRUE(server.Start(error)) << error;
  ASSERT_EQ(server.PortPath().rfind("/dev/", 0), 0u) << server.PortPath();
  ASSERT_TRUE(link.Open(WideTextFromUtf8(server.PortPath()))) << link.ErrorText();
}

TEST(EmulatorServer, AnswersOverThePtyAndLogsTheRequests) {
  TesterServer server(ThreeResults());
  DexalSerialLink link;
  ASSERT_NO_FATAL_FAILURE(Connect(server, link));
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
  EXPECT_EQ(log[1].sequence, 2);  // the second request after Open
  EXPECT_EQ(log[1].payload, ByteVector({0, 0}));
  EXPECT_LE(log[0].received, log[1].received);
  const auto start = Clock::now();
  server.Stop();
  server.Stop();  // twice is harmless
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  TesterServer never(ThreeResults());
  never.Stop();  // never started
}

// The end-download reply must still be readable after the server has seen the end: a server
// that closed its side at once would throw it away unread.
TEST(EmulatorServer, EndDownloadReplyWaitsForTheDownloaderToClose) {
  TesterServer server(ThreeResults());
  DexalSerialLink link;
  ASSERT_NO_FATAL_FAILURE(Connect(server, link));
  ASSERT_TRUE(link.WriteFrame({2, 0, 0x23, 0x28}));
  ASSERT_TRUE(server.WaitForEndDownload(std::chrono::seconds(2)));
  EXPECT_FALSE(server.WaitForClientToClose(std::chrono::milliseconds(200)));
  ByteVector reply;
  ASSERT_TRUE(link.ReadFrame(reply, 500));
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_EQ(testing::GetWord(reply, 0), 0x2823);
  link.Close();
  EXPECT_TRUE(server.WaitForClientToClose(std::chrono::seconds(2)));
}

TEST(EmulatorServer, PacingGivesAReplyAtLeastItsWireTime) {
  auto run = [](bool pace) {
    TesterServer server(ThreeResults(), {"", pace});
    DexalSerialLink link;
    Connect(server, link);
    // The whole first block: 4022 reply bytes, at least 4030 on the wire.
    ByteVector request = testing::BytesFromHex("01 00 22 28  00000000 00000000 00100000");
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

TEST(EmulatorServer, MissingDeviceIsReported) {
  TesterServer server(ThreeResults(), {"/dev/no-such-tester-device", false});
  std::string error;
  EXPECT_FALSE(server.Start(error));
  EXPECT_NE(error.find("/dev/no-such-tester-device"), std::string::npos) << error;
}

}  // namespace
}  // namespace Dexal
