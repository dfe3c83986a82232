// The emulated tester: its protocol core's reply to each command (tester/replies.txt), when faults
// fire (tester/fault-schedule.txt, tester/fault-texts.txt), the scenarios it refuses
// (tester/scenario-errors.txt) and the writes a reply goes out in (tester/reply-schedule.txt); its
// server over a real pseudo-terminal, with the downloader's own link. What a fault does to a
// download is the end-to-end fault matrix's business; what a scenario's fields become, the golden
// downloads'.

#include <chrono>
#include <cstdio>

#include "link/DexalCmd.h"
#include "link/DexalSerialLink.h"
#include "platform/WideText.h"
#include "tester/ReplySchedule.h"
#include "tester/ScenarioJson.h"
#include "tester/TesterCore.h"
#include "tester/TesterServer.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

using namespace testing;

ByteVector RequestFrame(std::uint16_t sequence, const ByteVector& codeAndPayload) {
  ByteVector data;
  PutWord(data, sequence);
  data.insert(data.end(), codeAndPayload.begin(), codeAndPayload.end());
  return EncodeFrame(data);
}

// The data of the first frame in the bytes; empty when there is none.
ByteVector FrameData(const ByteVector& bytes) {
  FrameReceiver receiver;
  const std::vector<ByteVector> frames = ReceiveFrames(receiver, bytes);
  return frames.empty() ? ByteVector{} : frames.front();
}

TEST(EmulatorCore, RepliesAsTheTableSays) {
  TesterScenario scenario = LoadScenarioFile(TestDataPath("tester/emulator.json").string());
  StoredResult& big = scenario.results.emplace_back();  // a block of two chunks
  big.criteria.assign(40, 0x20);
  big.data.assign(5000, 0x33);
  testing::ForEachRow("tester/replies.txt", 5, [&](const std::vector<std::string>& cells) {
    TesterCore core(scenario);
    const ByteVector request = BytesFromHex(cells[0]);
    const ByteVector frame = RequestFrame(0xFAFB, request);
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
      ASSERT_TRUE(core.Feed(&frame[i], 1, std::chrono::system_clock::now()).empty());
    }
    const auto plans = core.Feed(&frame.back(), 1, std::chrono::system_clock::now());
    ASSERT_EQ(plans.size(), 1u);
    const ByteVector reply = FrameData(plans[0].bytes);
    ASSERT_EQ(reply.size(), std::stoul(cells[2]));
    EXPECT_EQ(GetWord(reply, 0), request.size() >= 2 ? GetWord(request, 0) : 0);
    EXPECT_EQ(GetWord(reply, 2), 0xFAFB);
    EXPECT_EQ(GetWord(reply, 4), std::stoul(cells[1]));
    if (const auto colon = cells[3].find(':'); colon != std::string::npos) {
      const ByteVector bytes = BytesFromHex(cells[3].substr(colon + 1));
      const auto from = reply.begin() + std::stol(cells[3]);
      EXPECT_EQ(ByteVector(from, from + std::min(reply.end() - from, std::ssize(bytes))), bytes);
    }
    char effect[40] = "";
    if (const auto& c = core.ClockSent()) {
      std::snprintf(effect, sizeof effect, "clock %04d-%02d-%02d %02d:%02d:%02d", c->year, c->month,
                    c->day, c->hour, c->minute, c->second);
    }
    EXPECT_EQ(core.EndDownloadReceived() ? std::string("end") : std::string(effect), cells[4]);
  });
}

TEST(EmulatorCore, FaultsFireAsTheTableSays) {
  ExpectEachRow("tester/fault-schedule.txt", 3, [](const auto& cells) {
    TesterScenario scenario;
    std::istringstream faults(cells[0]), codes(cells[1]);
    for (std::string text; faults >> text;) scenario.faults.push_back(ParseFault(text));
    TesterCore core(scenario);
    ByteVector line = BytesFromHex("00 fb 13");
    std::uint16_t sequence = 0;
    for (std::string code; codes >> code;) {
      const ByteVector frame =
          RequestFrame(++sequence, {BytesFromHex(code)[1], BytesFromHex(code)[0]});
      line.insert(line.end(), frame.begin(), frame.end());
    }
    std::string replies;
    for (const ReplyPlan& plan : core.Feed(line)) {
      const ByteVector reply = FrameData(plan.bytes);
      replies += plan.closeLine       ? "x "
                 : plan.bytes.empty() ? "- "
                                      : std::to_string(GetWord(reply, 4)) + " ";
      if (!reply.empty()) {
        EXPECT_EQ(GetWord(reply, 2), plan.requestNumber);
      }
    }
    return replies.substr(0, replies.size() - 1);
  });
}

TEST(FaultText, ReadsBackAsTheTableSays) {
  ExpectEachRow("tester/fault-texts.txt", 3, [](const auto& cells) {
    if (cells[1] == "error") return MessageOf<std::invalid_argument>([&] { ParseFault(cells[0]); });
    const Fault fault = ParseFault(cells[0]);
    EXPECT_EQ(fault.value, std::stoul(cells[1]));
    return FaultToText(fault);
  });
}

TEST(ScenarioJson, RefusedScenariosNameTheirField) {
  ExpectEachRow("tester/scenario-errors.txt", 2, [](const auto& cells) {
    const std::string message = MessageOf<ScenarioError>([&] { ScenarioFromJson(cells[0]); });
    const bool prefix = cells[1].ends_with("...");  // the rest is the JSON library's
    return prefix ? message.substr(0, cells[1].size() - 3) + "..." : message;
  });
  EXPECT_EQ(MessageOf<ScenarioError>([] { LoadScenarioFile("/nonexistent/s.json"); }),
            "/nonexistent/s.json: cannot open the scenario file");
}

TEST(ReplySchedule, WritesAsTheTableSays) {
  ExpectEachRow("tester/reply-schedule.txt", 5, [](const auto& cells) {
    const LinePace pace{std::chrono::nanoseconds(std::stoll(cells[1])),
                        std::chrono::milliseconds(std::stoll(cells[2])), std::stoul(cells[3])};
    std::string writes;
    for (const ReplyPiece& piece : ReplySchedule(std::stoul(cells[0]), pace)) {
      writes += (writes.empty() ? "" : " ") + std::to_string(piece.bytes) + "@" +
                std::to_string(piece.at.count());
    }
    return writes;
  });
}

using Clock = std::chrono::steady_clock;

TesterScenario ThreeResults() {
  TesterScenario s;
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

// The end-download reply must still be readable after the server has seen the end: a server
// that closed its side at once would throw it away unread. The request is in the server's log.
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
  const auto log = server.Requests();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].code, kCmdEndDownload);
  EXPECT_EQ(log[0].sequence, 2);
  EXPECT_TRUE(log[0].payload.empty());
  link.Close();
  EXPECT_TRUE(server.WaitForClientToClose(std::chrono::seconds(2)));
}

// Paced, a reply takes at least its wire time; through an adapter with FTDI's default timer, a
// short reply at least 16 ms, each of five. (That a full packet is not held is the schedule
// table's: on a shared machine a time bounds only from below, and a reply that is not held can
// take as long; five of them hardly can.) Unpaced, replies come as fast as the line carries
// them: twenty in less than the wire time of twenty, which leaves a loaded machine some 40 ms for
// each round trip over the pseudo-terminal.
TEST(EmulatorServer, PacedOrHeldAReplyTakesItsTime) {
  // The shortest of `replies` round trips, and their whole time.
  auto run = [](TesterServerOptions options, const char* request, std::size_t size, int replies) {
    TesterServer server(ThreeResults(), options);
    DexalSerialLink link;
    Connect(server, link);
    const auto start = Clock::now();
    auto shortest = Clock::duration::max();
    for (int i = 0; i < replies; ++i) {
      const auto sent = Clock::now();
      EXPECT_TRUE(link.WriteFrame(testing::BytesFromHex(request)));
      ByteVector reply;
      EXPECT_TRUE(link.ReadFrame(reply, 10'000));
      EXPECT_EQ(reply.size(), size);
      shortest = std::min(shortest, Clock::now() - sent);
    }
    const auto took = Clock::now() - start;
    // Stopped, the server has closed its side: the next read fails at once instead of waiting
    // out its time-out. The destructor stops it a second time.
    server.Stop();
    ByteVector reply;
    EXPECT_FALSE(link.ReadFrame(reply, 5000));
    return std::pair(shortest, took);
  };
  // The whole first block: 4022 reply bytes, at least 4030 on the wire, and the request's 24.
  const char* block = "01 00 22 28  00000000 00000000 00100000";
  const auto wire = std::chrono::microseconds((4030 + 24) * 10'000'000LL / 921'600);  // ~44 ms
  EXPECT_GE(run({"", true}, block, 4022, 1).first, wire);
  EXPECT_LT(run({"", false}, block, 4022, 20).second, 20 * wire);
  EXPECT_GE(run({"", false, 16}, "01 00 20 28", 12, 5).first, std::chrono::milliseconds(15));
}

TEST(EmulatorServer, MissingDeviceIsReported) {
  TesterServer server(ThreeResults(), {"/dev/no-such-tester-device", false});
  std::string error;
  EXPECT_FALSE(server.Start(error));
  EXPECT_NE(error.find("/dev/no-such-tester-device"), std::string::npos) << error;
}

}  // namespace
}  // namespace Dexal
