#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
#include <stdexcept>

#include "link/Crc32.h"
#include "link/DexalPerformCmd.h"
#include "link/DexalSerialLink.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/ScriptedPeer.h"

namespace Dexal {
namespace {

using testing::FakeSerialPort;
using testing::FakeTicks;
using testing::PutLong;
using testing::PutWord;
using testing::ReplyData;
using testing::Request;
using testing::ScriptedPeer;

std::uint32_t LongAt(const ByteVector& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                    (static_cast<std::uint32_t>(b[at + 3]) << 24));
}

struct CommandFixture : ::testing::Test {
  FakeTicks ticks;
  FakeSerialPort* port = nullptr;
  std::unique_ptr<DexalSerialLink> link;
  std::unique_ptr<ScriptedPeer> peer;
  std::unique_ptr<DexalPerformCmd> perform;

  // The peer answers every request with status 0 and `payload` (8 header bytes added).
  void Reply(std::function<ByteVector(const Request&)> payload, std::uint16_t status = 0) {
    auto owned = std::make_unique<FakeSerialPort>(ticks);
    port = owned.get();
    link = std::make_unique<DexalSerialLink>(std::move(owned), ticks);
    ASSERT_TRUE(link->Open(L"COM1"));
    peer = std::make_unique<ScriptedPeer>([payload, status](const Request& r) {
      return ReplyData(r.code, r.sequence, status, payload(r));
    });
    port->peer = [this](const ByteVector& bytes) { return (*peer)(bytes); };
    perform = std::make_unique<DexalPerformCmd>(link.get());
  }

  template <typename Cmd>
  std::string ErrorOf(Cmd& cmd) {
    try {
      perform->visit(cmd);
    } catch (const std::exception& e) {
      return e.what();
    }
    return "(no error)";
  }
};

// Reply payload of `size` bytes after the 8-byte header, with `fill` applied.
ByteVector Body(std::size_t replySize, const std::map<std::size_t, std::uint8_t>& bytes = {}) {
  ByteVector body(replySize - 8, 0);
  for (const auto& [at, value] : bytes) body[at - 8] = value;
  return body;
}

TEST_F(CommandFixture, SerialNumberTextAndLimits) {
  Reply([](const Request& r) {
    EXPECT_EQ(r.code, 0x2900);
    EXPECT_EQ(r.payload, (ByteVector{0, 0}));
    return Body(32, {{12, 'A'}, {13, 'B'}, {14, '1'}, {15, '2'}, {16, '3'}});
  });
  DexalCmdSerialNumber cmd;
  ASSERT_TRUE(perform->visit(cmd));
  EXPECT_EQ(cmd.serialNumber, "AB123");

  Reply([](const Request&) {
    ByteVector body = Body(40);
    for (std::size_t i = 4; i < body.size(); ++i) body[i] = 'x';
    return body;
  });
  DexalCmdSerialNumber full;
  ASSERT_TRUE(perform->visit(full));
  EXPECT_EQ(full.serialNumber, std::string(19, 'x')) << "bytes 12 to 30 only";

  Reply([](const Request&) { return Body(31); });
  DexalCmdSerialNumber shortReply;
  EXPECT_EQ(ErrorOf(shortReply), "Response from tester is too short");
}

TEST_F(CommandFixture, StatusIsCheckedBeforeLength) {
  Reply([](const Request&) { return ByteVector{}; }, 2);
  DexalCmdResultCount count;
  EXPECT_EQ(ErrorOf(count),
            "Error 2 reported from tester when retrieving result count:\n\nGeneric error");
  DexalCmdSerialNumber serial;
  EXPECT_EQ(ErrorOf(serial),
            "Error 2 reported from tester when retrieving serial number:\n\nGeneric error");
  DexalCmdServiceDate date;
  EXPECT_EQ(ErrorOf(date),
            "Error 2 reported from tester when retrieving calibration date:\n\nGeneric error");
  DexalCmdFirmWareVersion fw;
  EXPECT_EQ(ErrorOf(fw),
            "Error 2 reported from tester when retrieving FW version:\n\nGeneric error");
  DexalCmdResultInfo info(3);
  EXPECT_EQ(ErrorOf(info),
            "Error 2 reported from tester when retrieving result info:\n\nGeneric error");
  DexalCmdSetRTC rtc;
  EXPECT_EQ(ErrorOf(rtc), "Error 2 reported from tester when setting the RTC:\n\nGeneric error");
  DexalCmdResultInfo sizes(0);
  sizes.criteriaSize = 8;
  sizes.dataSize = 8;
  DexalCmdResultData data(&sizes, "S1");
  EXPECT_EQ(ErrorOf(data),
            "Error 2 reported from tester when retrieving result data:\n\nGeneric error");
  DexalCmdEndDownload end;
  EXPECT_TRUE(perform->visit(end)) << "end download never looks at the status";
}

TEST_F(CommandFixture, ServiceDateIsLocalMidnight) {
  Reply([](const Request& r) {
    EXPECT_EQ(r.payload, (ByteVector{1, 0}));
    return Body(20, {{12, 0xE0}, {13, 0x07}, {14, 2}, {15, 29}});
  });
  DexalCmdServiceDate cmd;
  ASSERT_TRUE(perform->visit(cmd));
  std::tm local{};
  ASSERT_TRUE(LocalFromCalendarTime(cmd.calibrationDate, local));
  EXPECT_EQ(local.tm_year, 116);
  EXPECT_EQ(local.tm_mon, 1);
  EXPECT_EQ(local.tm_mday, 29);
  EXPECT_EQ(local.tm_hour, 0);
  EXPECT_EQ(local.tm_min, 0);

  Reply([](const Request&) { return Body(19); });
  DexalCmdServiceDate shortReply;
  EXPECT_EQ(ErrorOf(shortReply), "Response from tester is too short");
}

TEST_F(CommandFixture, FirmwareVersionText) {
  Reply([](const Request& r) {
    EXPECT_TRUE(r.payload.empty());
    return Body(112, {{92, 7}, {96, 0xDE}, {97, 0x07}, {98, 3}, {99, 9}});
  });
  DexalCmdFirmWareVersion cmd;
  ASSERT_TRUE(perform->visit(cmd));
  EXPECT_EQ(cmd.firmwareVersion, "rev. 7 2014-03-09T00:00:00");

  // Month 13 is normalised into the next year.
  Reply([](const Request&) {
    return Body(112, {{92, 1}, {93, 1}, {96, 0xDE}, {97, 0x07}, {98, 13}, {99, 1}});
  });
  DexalCmdFirmWareVersion odd;
  ASSERT_TRUE(perform->visit(odd));
  EXPECT_EQ(odd.firmwareVersion, "rev. 257 2015-01-01T00:00:00");

  Reply([](const Request&) { return Body(111); });
  DexalCmdFirmWareVersion shortReply;
  EXPECT_EQ(ErrorOf(shortReply), "Response from tester is too short");
}

TEST_F(CommandFixture, ResultCountAndInfo) {
  Reply([](const Request& r) {
    if (r.code == 0x2820) return Body(12, {{8, 0x34}, {9, 0x12}, {11, 0x01}});
    EXPECT_EQ(r.payload, (ByteVector{0x05, 0x01, 0, 0}));
    return Body(18, {{8, 9}, {14, 40}, {16, 100}, {17, 1}});
  });
  DexalCmdResultCount count;
  ASSERT_TRUE(perform->visit(count));
  EXPECT_EQ(count.resultCount, 0x01001234u);
  DexalCmdResultInfo info(0x0105);
  ASSERT_TRUE(perform->visit(info));
  EXPECT_EQ(info.infoValue, 9u);
  EXPECT_EQ(info.criteriaSize, 40);
  EXPECT_EQ(info.dataSize, 356);

  Reply([](const Request&) { return Body(17); });
  DexalCmdResultInfo shortInfo(0);
  EXPECT_EQ(ErrorOf(shortInfo), "Response from tester is too short: DexalCmdResultInfo");
  Reply([](const Request&) { return Body(11); });
  DexalCmdResultCount shortCount;
  EXPECT_EQ(ErrorOf(shortCount), "Response from tester is too short");
}

// A tester that serves one result block by (offset, length), clipped at the block's end.
struct BlockServer {
  ByteVector block;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> asked;
  ByteVector operator()(const Request& r) {
    const std::uint32_t offset = LongAt(r.payload, 4);
    const std::uint32_t length = LongAt(r.payload, 8);
    asked.emplace_back(offset, length);
    ByteVector out;
    for (std::uint32_t i = offset; i < offset + length && i < block.size(); ++i) {
      out.push_back(block[i]);
    }
    return out;
  }
};

ByteVector MakeBlock(std::size_t criteria, std::size_t data, ByteVector* criteriaOut = nullptr,
                     ByteVector* dataOut = nullptr) {
  ByteVector c(criteria), d(data);
  for (std::size_t i = 0; i < criteria; ++i) c[i] = static_cast<std::uint8_t>(i * 7 + 1);
  for (std::size_t i = 0; i < data; ++i) d[i] = static_cast<std::uint8_t>(i * 13 + 5);
  ByteVector block = c;
  PutLong(block, CrcUpdate(kCrcInitial, c.data(), c.size()));
  block.insert(block.end(), d.begin(), d.end());
  PutLong(block, CrcUpdate(kCrcInitial, d.data(), d.size()));
  if (criteriaOut) *criteriaOut = c;
  if (dataOut) *dataOut = d;
  return block;
}

TEST_F(CommandFixture, SingleChunkResult) {
  BlockServer server;
  ByteVector criteria, data;
  server.block = MakeBlock(36, 96, &criteria, &data);
  Reply([&server](const Request& r) { return server(r); });
  DexalCmdResultInfo info(4);
  info.criteriaSize = 40;
  info.dataSize = 100;
  DexalCmdResultData cmd(&info, "SN42");
  ASSERT_TRUE(perform->visit(cmd));
  ASSERT_EQ(server.asked.size(), 1u);
  EXPECT_EQ(server.asked[0], std::make_pair(0u, 148u));
  EXPECT_EQ(LongAt(peer->requests[0].payload, 0), 4u);
  EXPECT_EQ(cmd.criteriaSegment, criteria);
  EXPECT_EQ(cmd.dataSegment, data);
  EXPECT_TRUE(cmd.criteriaCrcMatches);
  EXPECT_TRUE(cmd.dataCrcMatches);
  EXPECT_EQ(cmd.testerSerial, "SN42");
}

TEST_F(CommandFixture, MultiChunkResultJoinsWithoutGaps) {
  BlockServer server;
  ByteVector criteria, data;
  server.block = MakeBlock(96, 9000, &criteria, &data);
  Reply([&server](const Request& r) { return server(r); });
  DexalCmdResultInfo info(0);
  info.criteriaSize = 100;
  info.dataSize = 9004;
  DexalCmdResultData cmd(&info, "SN");
  ASSERT_TRUE(perform->visit(cmd));
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
      {0, 4096}, {4096, 4096}, {8192, 912}};
  EXPECT_EQ(server.asked, expected);
  EXPECT_EQ(cmd.criteriaSegment, criteria);
  EXPECT_EQ(cmd.dataSegment, data);
  EXPECT_TRUE(cmd.dataCrcMatches);
}

TEST_F(CommandFixture, WrongStoredCrcIsRecordedNotRejected) {
  BlockServer server;
  server.block = MakeBlock(10, 20);
  server.block.back() ^= 0xFF;
  Reply([&server](const Request& r) { return server(r); });
  DexalCmdResultInfo info(0);
  info.criteriaSize = 14;
  info.dataSize = 24;
  DexalCmdResultData cmd(&info, "SN");
  ASSERT_TRUE(perform->visit(cmd));
  EXPECT_TRUE(cmd.criteriaCrcMatches);
  EXPECT_FALSE(cmd.dataCrcMatches);
}

TEST_F(CommandFixture, MalformedResultBlocksAreErrors) {
  // A tester that sends no block bytes must not make the fetch loop forever.
  Reply([](const Request&) { return ByteVector{}; });
  DexalCmdResultInfo info(0);
  info.criteriaSize = 14;
  info.dataSize = 24;
  DexalCmdResultData empty(&info, "SN");
  EXPECT_EQ(ErrorOf(empty), "Response from tester is too short");

  DexalCmdResultInfo tiny(0);
  tiny.criteriaSize = 3;
  tiny.dataSize = 24;
  DexalCmdResultData bad(&tiny, "SN");
  EXPECT_NE(ErrorOf(bad), "(no error)");
  EXPECT_TRUE(peer->requests.size() == 1u) << "sizes below 4 are refused before any request";

  // A tester that keeps sending one byte at a time still gets the whole block.
  BlockServer server;
  server.block = MakeBlock(10, 20);
  Reply([&server](const Request& r) {
    ByteVector all = server(r);
    all.resize(std::min<std::size_t>(all.size(), 5));
    return all;
  });
  DexalCmdResultData slow(&info, "SN");
  ASSERT_TRUE(perform->visit(slow));
  EXPECT_EQ(server.asked.size(), 8u);
  EXPECT_TRUE(slow.criteriaCrcMatches && slow.dataCrcMatches);
}

TEST(SetRtc, PayloadFromLocalFields) {
  std::tm local{};
  local.tm_year = 124;
  local.tm_mon = 0;
  local.tm_mday = 5;
  local.tm_hour = 13;
  local.tm_min = 4;
  local.tm_sec = 9;
  DexalCmdSetRTC cmd;
  cmd.SetClockFromLocal(local);
  EXPECT_EQ(cmd.Payload(), (ByteVector{0xE8, 0x07, 0x01, 0x05, 0x0D, 0x04, 0x09, 0x00}));
}

TEST_F(CommandFixture, SetRtcSendsTheComputersClock) {
  Reply([](const Request&) { return ByteVector{}; });
  DexalCmdSetRTC cmd;
  const CalendarTime before = CurrentCalendarTime();
  ASSERT_TRUE(perform->visit(cmd));
  ASSERT_EQ(peer->requests.size(), 1u);
  const ByteVector& p = peer->requests[0].payload;
  ASSERT_EQ(p.size(), 8u);
  std::tm sent = LocalDateFields(p[0] | (p[1] << 8), p[2], p[3], p[4], p[5], p[6]);
  const CalendarTime sentTime = CalendarTimeFromLocal(sent);
  EXPECT_GE(sentTime, before - 1);
  EXPECT_LE(sentTime, before + 5);
  EXPECT_EQ(p[7], 0);
}

}  // namespace
}  // namespace Dexal
