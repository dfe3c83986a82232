// The emulated tester's protocol core against hand-built requests.
#include <gtest/gtest.h>

#include <string>

#include "link/Crc32.h"
#include "tests/tester/EmulatorTestSupport.h"

namespace Dexal {
namespace {

TesterScenario SmallScenario() {
  TesterScenario s;
  s.identity.serialNumber = "AB123";
  s.identity.serviceYear = 2016;
  s.identity.serviceMonth = 2;
  s.identity.serviceDay = 29;
  s.identity.firmwareRevision = 7;
  s.identity.firmwareYear = 2014;
  s.identity.firmwareMonth = 3;
  s.identity.firmwareDay = 9;
  StoredResult first;
  first.criteria = {0x06, 0x01, 0x10, 0x07, 0x01, 0x01};
  first.data = {0x11, 0x03, 'a', 0xFA, 'c'};
  first.infoValue = 0xA1B2C3D4;
  s.results.push_back(first);
  StoredResult big;  // needs two chunks
  big.criteria.assign(40, 0x20);
  big.data.assign(5000, 0x33);
  s.results.push_back(big);
  return s;
}

TEST(EmulatorCore, IdentityRepliesHaveTheirLayouts) {
  TesterCore core(SmallScenario());
  const auto serial = Exchange(core, 1, TesterCode::Identity, {0, 0});
  ASSERT_TRUE(serial);
  ASSERT_EQ(serial->size(), 32u);
  EXPECT_EQ(U16(*serial, 0), TesterCode::Identity);
  EXPECT_EQ(U16(*serial, 2), 1);
  EXPECT_EQ(U16(*serial, 4), 0);
  EXPECT_EQ(std::string(serial->begin() + 12, serial->begin() + 17), "AB123");
  for (std::size_t i = 17; i < 32; ++i) EXPECT_EQ((*serial)[i], 0) << i;

  const auto date = Exchange(core, 2, TesterCode::Identity, {1, 0});
  ASSERT_TRUE(date);
  ASSERT_EQ(date->size(), 20u);
  EXPECT_EQ(U16(*date, 12), 2016);
  EXPECT_EQ((*date)[14], 2);
  EXPECT_EQ((*date)[15], 29);

  const auto firmware = Exchange(core, 3, TesterCode::FirmwareVersion);
  ASSERT_TRUE(firmware);
  ASSERT_EQ(firmware->size(), 112u);
  EXPECT_EQ(U32(*firmware, 92), 7u);
  EXPECT_EQ(U16(*firmware, 96), 2014);
  EXPECT_EQ((*firmware)[98], 3);
  EXPECT_EQ((*firmware)[99], 9);

  const auto count = Exchange(core, 4, TesterCode::ResultCount);
  ASSERT_TRUE(count);
  ASSERT_EQ(count->size(), 12u);
  EXPECT_EQ(U32(*count, 8), 2u);
}

TEST(EmulatorCore, SerialNumberOfTwentyOrMoreCharactersFillsTheField) {
  TesterScenario s;
  s.identity.serialNumber = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  TesterCore core(s);
  const auto reply = Exchange(core, 9, TesterCode::Identity, {0, 0});
  ASSERT_TRUE(reply);
  ASSERT_EQ(reply->size(), 32u);
  EXPECT_EQ(std::string(reply->begin() + 12, reply->end()), "ABCDEFGHIJKLMNOPQRST");
}

TEST(EmulatorCore, ResultInfoCountsEachSegmentWithItsCrc) {
  auto scenario = SmallScenario();
  scenario.results[1].dataSize = 3;  // a reported size below the CRC's four bytes
  TesterCore core(scenario);
  const auto info = Exchange(core, 5, TesterCode::ResultInfo, U32Bytes({0}));
  ASSERT_TRUE(info);
  ASSERT_EQ(info->size(), 18u);
  EXPECT_EQ(U32(*info, 8), 0xA1B2C3D4u);
  EXPECT_EQ(U16(*info, 14), 6 + 4);
  EXPECT_EQ(U16(*info, 16), 5 + 4);
  const auto second = Exchange(core, 6, TesterCode::ResultInfo, U32Bytes({1}));
  ASSERT_TRUE(second);
  EXPECT_EQ(U16(*second, 14), 44);
  EXPECT_EQ(U16(*second, 16), 3);
}

TEST(EmulatorCore, ResultBlockIsSegmentsWithTheirCrcs) {
  const auto scenario = SmallScenario();
  TesterCore core(scenario);
  const auto reply = Exchange(core, 7, TesterCode::ResultData, U32Bytes({0, 0, 6 + 4 + 5 + 4 + 8}));
  ASSERT_TRUE(reply);
  // The request asked 8 bytes more than the block holds: the reply stops at the block's end.
  ASSERT_EQ(reply->size(), 8u + 19u);
  EXPECT_EQ(U16(*reply, 0), TesterCode::ResultData);
  EXPECT_EQ(U16(*reply, 2), 7);
  const ByteVector block(reply->begin() + 8, reply->end());
  const auto& r = scenario.results[0];
  EXPECT_EQ(ByteVector(block.begin(), block.begin() + 6), r.criteria);
  EXPECT_EQ(U32(block, 6), CrcUpdate(kCrcInitial, r.criteria.data(), r.criteria.size()));
  EXPECT_EQ(ByteVector(block.begin() + 10, block.begin() + 15), r.data);
  EXPECT_EQ(U32(block, 15), CrcUpdate(kCrcInitial, r.data.data(), r.data.size()));
  // The receiver's check: the register over a segment and its stored CRC ends at 0.
  EXPECT_EQ(CrcUpdate(kCrcInitial, block.data() + 10, 9), 0u);
}

TEST(EmulatorCore, ChunksAreClippedAtTheBlockEndAndAt4096Bytes) {
  TesterCore core(SmallScenario());
  const std::uint32_t blockSize = 40 + 4 + 5000 + 4;
  struct Case {
    std::uint32_t offset, length;
    std::size_t expected;
  };
  const Case cases[] = {
      {0, 0x1000, 4096},               // full chunk
      {0, 10000, 4096},                // never more than 4096 per reply
      {4104, 1000, blockSize - 4104},  // past the end: clipped
      {blockSize - 1, 100, 1},         // last byte
      {blockSize, 100, 0},             // nothing left
      {0xFFFFFFF0u, 0x100, 0},         // far beyond, no wrap
      {100, 0, 0},                     // empty request
  };
  for (const auto& c : cases) {
    const auto reply = Exchange(core, 1, TesterCode::ResultData, U32Bytes({1, c.offset, c.length}));
    ASSERT_TRUE(reply) << c.offset;
    EXPECT_EQ(U16(*reply, 4), 0) << c.offset;
    EXPECT_EQ(reply->size(), 8 + c.expected) << c.offset << " " << c.length;
    EXPECT_LE(reply->size(), kMaxFrameData);
  }
  // The bytes are the block's from the offset: the data segment starts at 44.
  const auto tail = Exchange(core, 2, TesterCode::ResultData, U32Bytes({1, 42, 4}));
  ASSERT_TRUE(tail);
  EXPECT_EQ((*tail)[10], 0x33);
  EXPECT_NE((*tail)[9], 0x33);  // the last byte of the criteria CRC
}

TEST(EmulatorCore, UnknownCodesAndMalformedPayloadsGetStatus1) {
  TesterCore core(SmallScenario());
  struct Case {
    std::uint16_t code;
    ByteVector payload;
  };
  const Case cases[] = {
      {0x1234, {}},
      {TesterCode::Identity, {0}},
      {TesterCode::Identity, {2, 0}},
      {TesterCode::FirmwareVersion, {1}},
      {TesterCode::ResultCount, {0, 0, 0, 0}},
      {TesterCode::ResultInfo, {0, 0, 0}},
      {TesterCode::ResultInfo, U32Bytes({2})},  // no such result
      {TesterCode::ResultData, U32Bytes({0, 0})},
      {TesterCode::ResultData, U32Bytes({2, 0, 16})},
      {TesterCode::SetRtc, {0xE8, 0x07, 1, 5, 13, 4, 9}},
      {TesterCode::EndDownload, {0}},
  };
  std::uint16_t sequence = 100;
  for (const auto& c : cases) {
    const auto reply = Exchange(core, ++sequence, c.code, c.payload);
    ASSERT_TRUE(reply) << c.code;
    ASSERT_EQ(reply->size(), 8u) << c.code;
    EXPECT_EQ(U16(*reply, 0), c.code);
    EXPECT_EQ(U16(*reply, 2), sequence);
    EXPECT_EQ(U16(*reply, 4), 1) << std::hex << c.code;
  }
  EXPECT_FALSE(core.ClockSent());
  EXPECT_FALSE(core.EndDownloadReceived());
}

TEST(EmulatorCore, ClockAndEndDownloadAreRecorded) {
  TesterCore core(SmallScenario());
  const auto rtc = Exchange(core, 3, TesterCode::SetRtc, {0xE8, 0x07, 1, 5, 13, 4, 9, 0});
  ASSERT_TRUE(rtc);
  EXPECT_EQ(rtc->size(), 8u);
  EXPECT_EQ(U16(*rtc, 4), 0);
  ASSERT_TRUE(core.ClockSent());
  EXPECT_EQ(*core.ClockSent(), (TesterClock{2024, 1, 5, 13, 4, 9}));
  EXPECT_FALSE(core.EndDownloadReceived());
  const auto end = Exchange(core, 4, TesterCode::EndDownload);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->size(), 8u);
  EXPECT_TRUE(core.EndDownloadReceived());
}

TEST(EmulatorCore, RequestSplitAcrossFeedsIsAnsweredOnceComplete) {
  TesterCore core(SmallScenario());
  const ByteVector frame = RequestFrame(0xFAFB, TesterCode::ResultCount);  // escaped sequence
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    EXPECT_TRUE(core.Feed(&frame[i], 1, std::chrono::system_clock::now()).empty()) << i;
  }
  const auto plans = core.Feed(&frame.back(), 1, std::chrono::system_clock::now());
  ASSERT_EQ(plans.size(), 1u);
  const auto reply = FrameData(plans[0].bytes);
  ASSERT_TRUE(reply);
  EXPECT_EQ(U16(*reply, 2), 0xFAFB);

  // Two requests and line noise in one feed: two replies, in order.
  ByteVector both = {0x00, 0xFB, 0x13};
  const ByteVector a = RequestFrame(1, TesterCode::ResultCount);
  const ByteVector b = RequestFrame(2, TesterCode::FirmwareVersion);
  both.insert(both.end(), a.begin(), a.end());
  both.insert(both.end(), b.begin(), b.end());
  const auto two = core.Feed(both);
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(U16(*FrameData(two[0].bytes), 0), TesterCode::ResultCount);
  EXPECT_EQ(U16(*FrameData(two[1].bytes), 0), TesterCode::FirmwareVersion);
  EXPECT_EQ(two[1].requestNumber, 3u);
}

TEST(EmulatorCore, LogHoldsEveryRequestInOrder) {
  TesterCore core(SmallScenario());
  const auto t0 = std::chrono::system_clock::now();
  core.Feed(RequestFrame(1, TesterCode::ResultCount));
  core.Feed(RequestFrame(2, TesterCode::ResultInfo, U32Bytes({1})));
  core.Feed(RequestFrame(3, 0x7777, {9}));  // unknown, still logged
  // A frame with a bad CRC is no request.
  ByteVector broken = RequestFrame(4, TesterCode::ResultCount);
  broken[3] ^= 0x01;
  EXPECT_TRUE(core.Feed(broken).empty());
  const auto& log = core.Requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].number, 1u);
  EXPECT_EQ(log[0].code, TesterCode::ResultCount);
  EXPECT_TRUE(log[0].payload.empty());
  EXPECT_EQ(log[1].sequence, 2);
  EXPECT_EQ(log[1].payload, U32Bytes({1}));
  EXPECT_EQ(log[2].number, 3u);
  EXPECT_EQ(log[2].code, 0x7777);
  EXPECT_EQ(log[2].payload, ByteVector{9});
  EXPECT_GE(log[0].received, t0);
  EXPECT_LE(log[0].received, log[2].received);
}

TEST(EmulatorCore, ShortRequestFrameGetsStatus1) {
  TesterCore core(SmallScenario());
  const auto plans = core.Feed(EncodeFrame({0x05, 0x00, 0x20}));
  ASSERT_EQ(plans.size(), 1u);
  const auto reply = FrameData(plans[0].bytes);
  ASSERT_TRUE(reply);
  EXPECT_EQ(U16(*reply, 2), 5);
  EXPECT_EQ(U16(*reply, 4), 1);
}

}  // namespace
}  // namespace Dexal
