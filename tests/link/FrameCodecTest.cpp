#include <gtest/gtest.h>

#include "link/Crc32.h"
#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"

namespace Dexal {
namespace {

// Feeds bytes and returns the data of every frame accepted.
std::vector<ByteVector> Receive(const ByteVector& wire) {
  FrameReceiver receiver;
  std::vector<ByteVector> frames;
  for (std::uint8_t byte : wire) {
    if (receiver.Feed(byte)) frames.push_back(receiver.Data());
  }
  return frames;
}

TEST(Crc, CheckValueOfTheNineDigits) {
  const ByteVector digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(CrcUpdate(kCrcInitial, digits.data(), digits.size()), 0x340BC6D9u);
  EXPECT_TRUE(DexalSerialLink::CheckCrc(digits, 0x340BC6D9u));
  EXPECT_FALSE(DexalSerialLink::CheckCrc(digits, 0xCBF43926u));  // the inverted CRC-32
}

TEST(FrameCodec, EncodesThePublishedExample) {
  const ByteVector expected = {0xFA, 0x02, 0x00, 0x01, 0xFC, 0xFD, 0x2B, 0xC2, 0xC1, 0x30, 0xFB};
  EXPECT_EQ(EncodeFrame({0x01, 0xFA}), expected);
  const auto frames = Receive(expected);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (ByteVector{0x01, 0xFA}));
}

TEST(FrameCodec, EscapesEveryMarkerByteAndRoundTrips) {
  ByteVector data;
  for (int i = 0; i < 256; ++i) data.push_back(static_cast<std::uint8_t>(i));
  data.insert(data.end(), {0xFC, 0xFC, 0xFB, 0xFA});
  const ByteVector wire = EncodeFrame(data);
  // Markers appear only at the ends.
  for (std::size_t i = 1; i + 1 < wire.size(); ++i) {
    EXPECT_NE(wire[i], kFrameStart);
    EXPECT_NE(wire[i], kFrameEnd);
  }
  ASSERT_LE(wire.size(), 2 * (data.size() + 6) + 2);
  const auto frames = Receive(wire);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], data);
  const ByteVector escapeByte = EncodeFrame({0xFC});
  EXPECT_EQ(escapeByte[3], 0xFC);
  EXPECT_EQ(escapeByte[4], 0xFF);
}

TEST(FrameCodec, DropRulesDiscardTheFrame) {
  const ByteVector good = EncodeFrame({0x10, 0x20, 0x30});
  struct Case {
    const char* name;
    ByteVector wire;
  };
  ByteVector badCrc = good;
  badCrc[badCrc.size() - 2] ^= 0x01;
  ByteVector escapeThenLow = {0xFA, 0x01, 0x00, 0xFC, 0x41};
  ByteVector doubleEscape = {0xFA, 0x01, 0x00, 0xFC, 0xFC, 0xFF};
  ByteVector stray = good;
  stray.insert(stray.end() - 1, 0x00);
  const std::vector<Case> cases = {
      {"bad CRC", badCrc},
      {"escape then a byte below 0xFD", escapeThenLow},
      {"escape twice", doubleEscape},
      {"stray byte after the CRC", stray},
      {"length 0", {0xFA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFB}},
  };
  for (const auto& c : cases) {
    FrameReceiver receiver;
    bool accepted = false;
    for (std::uint8_t byte : c.wire) accepted = receiver.Feed(byte) || accepted;
    EXPECT_FALSE(accepted) << c.name;
    EXPECT_TRUE(receiver.Data().empty()) << c.name << ": a dropped frame leaves nothing";
    // The receiver recovers at the next start marker.
    bool recovered = false;
    for (std::uint8_t byte : good) recovered = receiver.Feed(byte) || recovered;
    EXPECT_TRUE(recovered) << c.name;
    EXPECT_EQ(receiver.Data(), (ByteVector{0x10, 0x20, 0x30})) << c.name;
  }
}

TEST(FrameCodec, EscapedStartMarkerStartsANewFrame) {
  ByteVector wire = {0xFA, 0x05, 0x00, 0x01, 0xFC};
  const ByteVector good = EncodeFrame({0x42});
  wire.insert(wire.end(), good.begin(), good.end());
  const auto frames = Receive(wire);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], ByteVector{0x42});
}

TEST(FrameCodec, StartMarkerInsideAFrameStartsAnew) {
  ByteVector wire = {0xFA, 0x10, 0x00, 0x01, 0x02, 0x03};
  const ByteVector good = EncodeFrame({0x07, 0x08});
  wire.insert(wire.end(), good.begin(), good.end());
  const auto frames = Receive(wire);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], (ByteVector{0x07, 0x08}));
}

TEST(FrameCodec, LengthLimits) {
  EXPECT_EQ(Receive(EncodeFrame(ByteVector(4104, 0x55))).size(), 1u);
  EXPECT_TRUE(Receive(EncodeFrame(ByteVector(4105, 0x55))).empty());
  EXPECT_EQ(Receive(EncodeFrame(ByteVector(1, 0x55))).size(), 1u);
}

}  // namespace
}  // namespace Dexal
