#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/CaseTable.h"
#include "tests/support/Expect.h"
#include "tests/support/LinkOverPeer.h"

namespace Dexal {
namespace {

using testing::BytesFromHex;
using testing::LinkOverPeer;
using testing::ReplyData;
using testing::Request;

std::string DateText(CalendarTime time) {
  std::tm local{};
  char text[32] = "";
  if (!LocalFromCalendarTime(time, local)) return "(no local time)";
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Performs the named command and tells what it made of the reply.
std::string Perform(DexalPerformCmd& perform, const std::string& name) {
  const auto visited = [&perform](auto cmd) { return perform.visit(cmd), cmd; };
  DexalCmdResultInfo info(0x0105);
  if (name == "serial") return visited(DexalCmdSerialNumber()).serialNumber;
  if (name == "service-date") return DateText(visited(DexalCmdServiceDate()).calibrationDate);
  if (name == "firmware") return visited(DexalCmdFirmWareVersion()).firmwareVersion;
  if (name == "count") return std::to_string(visited(DexalCmdResultCount()).resultCount);
  if (name == "info" && perform.visit(info)) {
    return std::to_string(info.infoValue) + " " + std::to_string(info.criteriaSize) + " " +
           std::to_string(info.dataSize);
  }
  info.criteriaSize = info.dataSize = 8;
  DexalCmdResultData data(&info, "S1");
  DexalCmdSetRTC clock;
  DexalCmdEndDownload end;
  const bool done = name == "data"        ? perform.visit(data)
                    : name == "set-clock" ? perform.visit(clock)
                                          : perform.visit(end);
  return done ? "done" : "failed";
}

TEST(Commands, CaseTable) {
  for (const auto& row : testing::ReadCaseTable("link/commands.txt", 9)) {
    SCOPED_TRACE(row.where);
    const std::string& answer = row.cells[2];
    const auto status = static_cast<std::uint16_t>(std::stoi(row.cells[3]));
    const std::size_t size = std::stoul(row.cells[4]);
    ByteVector body(size < 8 ? 0 : size - 8);
    std::istringstream places(row.cells[5]);
    for (std::string place; std::getline(places, place, ';');) {
      const auto colon = place.find(':');
      const ByteVector bytes = BytesFromHex(place.substr(colon + 1));
      std::copy(bytes.begin(), bytes.end(), body.begin() + std::stoi(place.substr(0, colon)) - 8);
    }
    LinkOverPeer env([&](const Request& r) -> std::optional<ByteVector> {
      if (answer == "silent") return std::nullopt;
      const bool wrong = answer == "wrong-seq" || (answer == "wrong-seq-once" && r.sequence == 1);
      const auto sequence = static_cast<std::uint16_t>(r.sequence + (wrong ? 7 : 0));
      ByteVector reply = answer == "swapped" ? ReplyData(r.sequence, r.code, status, body)
                                             : ReplyData(r.code, sequence, status, body);
      reply.resize(size);
      return reply;
    });
    const std::string before = row.cells[1];
    const int count = before == "-" ? 0 : std::stoi(before.substr(before.find(':') + 1));
    if (before.starts_with("write")) env.port->writeFailures = count;
    if (before.starts_with("read")) env.port->readFailures = count;
    if (before.starts_with("sequence")) env.link->SetSequence(static_cast<std::uint16_t>(count));
    std::string outcome;
    const std::string thrown = testing::MessageOf<std::runtime_error>(
        [&] { outcome = Perform(env.perform, row.cells[0]); });
    if (thrown != "(nothing thrown)") outcome = thrown.substr(0, thrown.find('\n'));
    EXPECT_EQ(outcome, row.cells[8]);
    EXPECT_EQ(std::to_string(env.peer.requests.size()) + "/" + std::to_string(env.link->Sequence()),
              row.cells[7]);
    if (row.cells[6] != "*" && !env.peer.requests.empty()) {
      EXPECT_EQ(env.peer.requests[0].payload, BytesFromHex(row.cells[6]));
    }
    // The reply time-out is 200 ms for short requests, on the fake clock.
    EXPECT_TRUE(answer != "silent" || (env.ticks.now > 200 && env.ticks.now <= 260))
        << env.ticks.now;
  }
}

TEST(Commands, ResultDataCaseTable) {
  for (const auto& row : testing::ReadCaseTable("link/result-data.txt", 5)) {
    SCOPED_TRACE(row.where);
    DexalCmdResultInfo info(4);
    info.criteriaSize = static_cast<std::uint16_t>(std::stoi(row.cells[0]));
    info.dataSize = static_cast<std::uint16_t>(std::stoi(row.cells[1]));
    const std::ptrdiff_t criteria = info.criteriaSize;
    ByteVector block(info.criteriaSize + info.dataSize);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::string asked;
    LinkOverPeer env([&](const Request& r) {
      const std::uint32_t offset = testing::GetLong(r.payload, 4);
      std::uint32_t length = testing::GetLong(r.payload, 8);
      asked += (asked.empty() ? "" : " ") + std::to_string(offset) + "+" + std::to_string(length);
      if (row.cells[2] != "-")
        length = std::min(length, static_cast<std::uint32_t>(std::stoul(row.cells[2])));
      const auto end = std::min<std::size_t>(offset + length, block.size());
      return ReplyData(
          r.code, r.sequence, 0,
          ByteVector(block.begin() + offset, block.begin() + static_cast<std::ptrdiff_t>(end)));
    });
    DexalCmdResultData data(&info, "SN42");
    std::string outcome = testing::MessageOf<std::runtime_error>([&] { env.perform.visit(data); });
    if (outcome == "(nothing thrown)") {
      EXPECT_EQ(data.criteriaSegment, ByteVector(block.begin(), block.begin() + criteria - 4));
      EXPECT_EQ(data.criteriaCrc, testing::GetLong(block, info.criteriaSize - 4u));
      EXPECT_EQ(data.dataSegment, ByteVector(block.begin() + criteria, block.end() - 4));
      EXPECT_EQ(data.dataCrc, testing::GetLong(block, block.size() - 4));
      outcome = "whole";
    }
    EXPECT_EQ(outcome, row.cells[4]);
    EXPECT_EQ(asked, row.cells[3]);
  }
}

TEST(Commands, SetClockPayloadOfLocalFields) {
  DexalCmdSetRTC worked;
  worked.SetClockFromLocal(LocalDateFields(2024, 1, 5, 13, 4, 9));
  EXPECT_EQ(worked.Payload(), BytesFromHex("E8 07 01 05 0D 04 09 00"));
}

}  // namespace
}  // namespace Dexal
