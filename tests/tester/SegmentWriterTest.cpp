#include <gtest/gtest.h>

#include <cstring>

#include "tester/SegmentWriter.h"

namespace Dexal {
namespace {

ByteVector Varint(std::uint32_t value) {
  ByteVector out;
  PutVarint(out, value);
  return out;
}

TEST(SegmentWriter, VarintsLowBitsFirst) {
  EXPECT_EQ(Varint(0), (ByteVector{0x00}));
  EXPECT_EQ(Varint(6), (ByteVector{0x06}));
  EXPECT_EQ(Varint(127), (ByteVector{0x7F}));
  EXPECT_EQ(Varint(128), (ByteVector{0x80, 0x01}));
  EXPECT_EQ(Varint(150), (ByteVector{0x96, 0x01}));
  EXPECT_EQ(Varint(0xFFFFFFFF), (ByteVector{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));
}

TEST(SegmentWriter, TypedItems) {
  SegmentWriter w;
  w.DateTime(5, {2012, 6, 15, 14, 30, 0})
      .SimWaveForm(0x13, 7, 0, 600, 500)
      .SimWaveForm(0x13, 7, 0, 600, -500)
      .Word(0x10, 0x1234)
      .Byte(7, 2)
      .String(1, std::string_view("A\0B", 3))
      .String(200, "");
  float value = 1.5F;
  std::uint8_t floatBytes[4];
  std::memcpy(floatBytes, &value, 4);
  w.Float(0x11, value);
  const ByteVector expected{0x05, 0x08, 0xDC, 0x07, 0x06, 0x0F, 0x0E, 0x1E, 0x00, 0x00,  // date
                            0x13, 0x08, 0x07, 0x00, 0x58, 0x02, 0xF4, 0x01, 0x00, 0x00,  // +500 uV
                            0x13, 0x08, 0x07, 0x00, 0x58, 0x02, 0x0C, 0xFE, 0x00, 0x00,  // -500 uV
                            0x10, 0x02, 0x34, 0x12,               // word, little-endian
                            0x07, 0x01, 0x02,                     // byte
                            0x01, 0x03, 'A',  0x00, 'B',          // zero byte kept
                            0xC8, 0x01, 0x00,                     // two-byte tag, empty
                            0x11, 0x04, 0x00, 0x00, 0xC0, 0x3F};  // 1.5f little-endian
  EXPECT_EQ(w.Data(), expected);
  EXPECT_EQ(std::memcmp(floatBytes, expected.data() + expected.size() - 4, 4), 0);
}

TEST(SegmentWriter, MalformedItemsKeepTheirDeclaredLength) {
  SegmentWriter w;
  w.Item(0x10, 1, {0xAA, 0xBB}).Item(1, 0xFFFFFFFF, {}).Raw({0x05});
  EXPECT_EQ(w.Data(),
            (ByteVector{0x10, 0x01, 0xAA, 0xBB, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x05}));
}

}  // namespace
}  // namespace Dexal
