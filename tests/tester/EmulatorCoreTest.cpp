// The emulated tester's protocol core: each command's reply (tester/replies.txt), when faults
// fire (tester/fault-schedule.txt, tester/fault-texts.txt) and the scenarios it refuses
// (tester/scenario-errors.txt). What a fault does to a download is the end-to-end fault matrix's
// business; what a scenario's fields become, the golden downloads'.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "tester/ScenarioJson.h"
#include "tester/TesterCore.h"
#include "tests/support/Bytes.h"
#include "tests/support/CaseTable.h"
#include "tests/support/Expect.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

using namespace testing;

ByteVector RequestFrame(std::uint16_t sequence, const ByteVector& codeAndPayload) {
  ByteVector data;
  PutWord(data, sequence);
  data.insert(data.end(), codeAndPayload.begin(), codeAndPayload.end());
  return EncodeFrame(data);
}

ByteVector FrameData(const ByteVector& bytes) {
  FrameReceiver receiver;
  for (std::uint8_t b : bytes) {
    if (receiver.Feed(b)) return receiver.Data();
  }
  return {};
}

TEST(EmulatorCore, RepliesAsTheTableSays) {
  TesterScenario scenario = LoadScenarioFile(TestDataPath("tester/emulator.json").string());
  StoredResult& big = scenario.results.emplace_back();  // a block of two chunks
  big.criteria.assign(40, 0x20);
  big.data.assign(5000, 0x33);
  for (const auto& row : ReadCaseTable("tester/replies.txt", 5)) {
    SCOPED_TRACE(row.where);
    TesterCore core(scenario);
    const ByteVector request = BytesFromHex(row.cells[0]);
    const ByteVector frame = RequestFrame(0xFAFB, request);
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
      ASSERT_TRUE(core.Feed(&frame[i], 1, std::chrono::system_clock::now()).empty());
    }
    const auto plans = core.Feed(&frame.back(), 1, std::chrono::system_clock::now());
    ASSERT_EQ(plans.size(), 1u);
    const ByteVector reply = FrameData(plans[0].bytes);
    ASSERT_EQ(reply.size(), std::stoul(row.cells[2]));
    EXPECT_EQ(GetWord(reply, 0), request.size() >= 2 ? GetWord(request, 0) : 0);
    EXPECT_EQ(GetWord(reply, 2), 0xFAFB);
    EXPECT_EQ(GetWord(reply, 4), std::stoul(row.cells[1]));
    if (const auto colon = row.cells[3].find(':'); colon != std::string::npos) {
      const std::string bytes = HexFromBytes(BytesFromHex(row.cells[3].substr(colon + 1)));
      EXPECT_EQ(HexFromBytes(reply).substr(std::stoul(row.cells[3]) * 3, bytes.size()), bytes);
    }
    char effect[40] = "";
    if (const auto& c = core.ClockSent()) {
      std::snprintf(effect, sizeof effect, "clock %04d-%02d-%02d %02d:%02d:%02d", c->year, c->month,
                    c->day, c->hour, c->minute, c->second);
    }
    EXPECT_EQ(core.EndDownloadReceived() ? std::string("end") : std::string(effect), row.cells[4]);
  }
}

TEST(EmulatorCore, FaultsFireAsTheTableSays) {
  for (const auto& row : ReadCaseTable("tester/fault-schedule.txt", 3)) {
    SCOPED_TRACE(row.where);
    TesterScenario scenario;
    std::istringstream faults(row.cells[0]), codes(row.cells[1]);
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
    EXPECT_EQ(replies, row.cells[2] + " ");
  }
}

TEST(FaultText, ReadsBackAsTheTableSays) {
  for (const auto& row : ReadCaseTable("tester/fault-texts.txt", 3)) {
    SCOPED_TRACE(row.where);
    if (row.cells[1] == "error") {
      EXPECT_EQ(MessageOf<std::invalid_argument>([&] { ParseFault(row.cells[0]); }), row.cells[2]);
      continue;
    }
    const Fault fault = ParseFault(row.cells[0]);
    EXPECT_EQ(fault.value, std::stoul(row.cells[1]));
    EXPECT_EQ(FaultToText(fault), row.cells[2]);
  }
}

TEST(ScenarioJson, RefusedScenariosNameTheirField) {
  for (const auto& row : ReadCaseTable("tester/scenario-errors.txt", 2)) {
    SCOPED_TRACE(row.where);
    const std::string message = MessageOf<ScenarioError>([&] { ScenarioFromJson(row.cells[0]); });
    const std::string& expected = row.cells[1];  // "..." ends a prefix
    const bool prefix = expected.ends_with("...");
    EXPECT_EQ(prefix ? message.substr(0, expected.size() - 3) + "..." : message, expected);
  }
  EXPECT_EQ(MessageOf<ScenarioError>([] { LoadScenarioFile("/nonexistent/s.json"); }),
            "/nonexistent/s.json: cannot open the scenario file");
}

}  // namespace
}  // namespace Dexal
