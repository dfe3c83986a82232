#include <gtest/gtest.h>

#include "link/Crc32.h"
#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"
#include "tests/support/Bytes.h"
#include "tests/support/CaseTable.h"

namespace Dexal {
namespace {

using testing::BytesFromHex;

// Feeds bytes to the receiver and returns the data of every frame it accepts.
std::vector<ByteVector> Receive(FrameReceiver& receiver, const ByteVector& wire) {
  std::vector<ByteVector> frames;
  for (std::uint8_t byte : wire) {
    if (receiver.Feed(byte)) frames.push_back(receiver.Data());
  }
  return frames;
}

TEST(FrameCodec, CaseTableAndLimits) {
  const ByteVector good = BytesFromHex("FA 03 00 10 20 30 4C C5 06 D1 FB");
  for (const auto& row : testing::ReadCaseTable("link/frames.txt", 3)) {
    SCOPED_TRACE(row.where);
    const std::string& kind = row.cells[0];
    const ByteVector wire = BytesFromHex(row.cells[1]);
    const ByteVector data = BytesFromHex(row.cells[2]);
    FrameReceiver receiver;
    if (kind == "frame") {
      EXPECT_EQ(EncodeFrame(data), wire);
    }
    if (kind == "drop") {
      EXPECT_TRUE(Receive(receiver, wire).empty());
      EXPECT_TRUE(receiver.Data().empty()) << "a dropped frame leaves nothing behind";
      EXPECT_EQ(Receive(receiver, good), std::vector<ByteVector>{BytesFromHex("10 20 30")});
    } else {
      EXPECT_EQ(Receive(receiver, wire), std::vector<ByteVector>{data});
    }
  }
  // Lengths up to 4104 are taken, longer ones dropped.
  FrameReceiver receiver;
  EXPECT_EQ(Receive(receiver, EncodeFrame(ByteVector(4104, 0x55))).size(), 1u);
  EXPECT_TRUE(Receive(receiver, EncodeFrame(ByteVector(4105, 0x55))).empty());

  // The check value of the CRC: JAMCRC, the register not inverted.
  const ByteVector digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_TRUE(DexalSerialLink::CheckCrc(digits, 0x340BC6D9u));
}

}  // namespace
}  // namespace Dexal
