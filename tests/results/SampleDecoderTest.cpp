#include "results/SampleDecoder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace Dexal {
namespace {

SampleArray Decoded(const ByteVector& block) {
  std::optional<SampleArray> samples =
      SamplesFromVector(block, 0, static_cast<std::uint32_t>(block.size()));
  if (!samples) throw std::logic_error("no samples");
  return *samples;
}

TEST(NibblesFromVector, ReadsHighNibbleFirstWithOptionalSign) {
  const ByteVector block{0xF8, 0x0F, 0x7F, 0xFF};
  struct Case {
    std::uint32_t cursor;
    int count;
    bool isSigned;
    std::int32_t value;
  };
  const Case cases[] = {
      {0, 1, true, -1},    {0, 1, false, 15},   {0, 2, true, -8},      {1, 2, true, -128},
      {1, 2, false, 0x80}, {2, 2, false, 0x0F}, {4, 4, true, 0x7FFF},  {4, 1, true, 7},
      {5, 3, true, -1},    {3, 4, true, -2049}, {0, 4, false, 0xF80F},
  };
  for (const Case& c : cases) {
    std::uint32_t cursor = c.cursor;
    EXPECT_EQ(NibblesFromVector(block, cursor, c.count, c.isSigned), c.value)
        << c.cursor << "/" << c.count;
    EXPECT_EQ(cursor, c.cursor + static_cast<std::uint32_t>(c.count));
  }
  std::uint32_t cursor = 7;
  EXPECT_THROW(NibblesFromVector(block, cursor, 2, false), std::out_of_range);
}

TEST(SamplesFromVector, DecodesTheWorkedExamplesOfEachMode) {
  struct Case {
    const char* name;
    ByteVector block;
    SampleArray samples;
  };
  const Case cases[] = {
      {"mode 0", {0x00, 0x00, 0x0A, 0xFF}, SampleArray(10, 0)},
      {"mode 9 counts as 0", {0x09, 0x00, 0x0B}, SampleArray(11, 0)},
      {"first differences",
       {0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5, 5, 5, 5, 5, 5},
       {256, 261, 266, 271, 276, 281, 286, 291, 296, 301}},
      {"second differences",
       {0x02, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5, 5, 5, 5, 5, 5},
       {256, 261, 271, 286, 306, 331, 361, 396, 436, 481}},
      {"step carries across groups",
       {0x02, 0x00, 0x0A, 0x01, 0x00, 0x04, 0x11, 0x11, 0x05, 0x00, 0x00, 0x00},
       {256, 257, 259, 262, 266, 270, 274, 278, 282, 286}},
      {"one-nibble -1 and two-nibble -128",
       {0x01, 0x00, 0x0A, 0x01, 0x00, 0x05, 0xFF, 0xFF, 0xF4, 0x48, 0x0F, 0xF0, 0x10, 0x20},
       {256, 255, 254, 253, 252, 251, 123, 122, 123, 125}},
      {"interpolated, rise carries over",
       {0x03, 0x00, 0x0A, 0x00, 0x64, 0x40, 0x25, 0x00},
       {100, 102, 104, 106, 108, 109, 111, 112, 114, 116}},
      {"interpolated, truncating toward zero",
       {0x03, 0x00, 0x0A, 0x00, 0x64, 0x30, 0xF6, 0x00},
       {100, 99, 98, 96, 96, 95, 94, 94, 93, 92}},
      {"interpolated, two-nibble slope change",
       {0x03, 0x00, 0x0A, 0x00, 0x64, 0x27, 0xFF, 0x74, 0x01},
       {100, 100, 99, 99, 99, 100, 100, 101, 101, 102}},
      {"samples wrap at 16 bits",
       {0x01, 0x00, 0x0A, 0xFF, 0xFF, 0x09, 0x11, 0x11, 0x11, 0x11, 0x10},
       {65535, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decoded(c.block), c.samples) << c.name;
  }
}

TEST(SamplesFromVector, RunLengthZeroMeansSixteenToTheWidth) {
  // N = 17: one run of 16 differences of 1 (run nibble 0, width 1).
  ByteVector block{0x01, 0x00, 0x11, 0x00, 0x00, 0x00};
  for (int i = 0; i < 8; ++i) block.push_back(0x11);
  const SampleArray samples = Decoded(block);
  ASSERT_EQ(samples.size(), 17u);
  for (std::uint16_t i = 0; i < 17; ++i) EXPECT_EQ(samples[i], i);
  // Mode 3 segment length 0 is 16 too: N = 17, a rise of 16 over one segment.
  const SampleArray line = Decoded({0x03, 0x00, 0x11, 0x00, 0x00, 0x00, 0x40});
  for (std::uint16_t i = 0; i < 17; ++i) EXPECT_EQ(line[i], i);
}

TEST(SamplesFromVector, CountsOutsideTenTo31250GiveNoSamples) {
  for (int count : {0, 9, 31251, 65535}) {
    const ByteVector block{0x01, static_cast<std::uint8_t>(count >> 8),
                           static_cast<std::uint8_t>(count & 0xFF), 0, 0};
    EXPECT_FALSE(SamplesFromVector(block, 0, 5).has_value()) << count;
  }
  EXPECT_EQ(SamplesFromVector({0x00, 0x7A, 0x12}, 0, 3)->size(), 31250u);
}

TEST(SamplesFromVector, BlocksThatDoNotAddUpFail) {
  const ByteVector cases[] = {
      {0x01, 0x00, 0x0A, 0x01, 0x00, 0x4A, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5},  // a run of 10 past N
      {0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5},                    // ends early
      {0x01, 0x00},                                                        // no count
      {0x03, 0x00, 0x0A, 0x00, 0x64, 0xA0, 0x00},                          // segment of 10
      {0x02, 0x00, 0x0A, 0x00},                                            // no first sample
  };
  for (const ByteVector& block : cases) {
    try {
      SamplesFromVector(block, 0, static_cast<std::uint32_t>(block.size()));
      ADD_FAILURE() << ::testing::PrintToString(block);
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
  }
}

TEST(SamplesFromVector, ReadsOnlyTheValueInsideTheSegment) {
  // The block sits in the middle of a segment; the bytes around it are not part of it.
  ByteVector segment{0xAA, 0xBB, 0x00, 0x00, 0x0A, 0xCC};
  EXPECT_EQ(SamplesFromVector(segment, 2, 3)->size(), 10u);
  // The same ramp cut one byte short of its last difference fails although the segment goes on.
  ByteVector ramp{0x01, 0x00, 0x0A, 0x01, 0x00, 0x49, 5, 5, 5, 5, 5, 5, 5, 5, 5};
  EXPECT_THROW(SamplesFromVector(ramp, 0, 14), std::out_of_range);
  EXPECT_THROW(SamplesFromVector(ramp, 1, 15), std::runtime_error);
  EXPECT_THROW(SamplesFromVector(ramp, 16, 0), std::runtime_error);
}

TEST(SamplesFromVector, BlocksBeyond32KiBDecodeWhole) {
  // 31250 samples as four-nibble differences: about 62.5 KB, past a 16-bit nibble cursor.
  ByteVector block{0x01, 0x7A, 0x12, 0x00, 0x00};
  SampleArray expected{0};
  std::uint32_t remaining = 31249;
  std::uint16_t value = 0;
  bool high = true;  // the next nibble's position
  auto put = [&](std::uint8_t nibble) {
    if (high) {
      block.push_back(static_cast<std::uint8_t>(nibble << 4));
    } else {
      block.back() |= nibble;
    }
    high = !high;
  };
  while (remaining > 0) {
    const std::uint32_t run = std::min<std::uint32_t>(remaining, 4095);
    put(0xF);  // run width 4 nibbles, difference width 4 nibbles
    for (int shift = 12; shift >= 0; shift -= 4)
      put(static_cast<std::uint8_t>((run >> shift) & 0xF));
    for (std::uint32_t i = 0; i < run; ++i) {
      const std::uint16_t step = (expected.size() % 2 == 0) ? 0x1234 : 0xEDCD;  // +4660, -4659
      value = static_cast<std::uint16_t>(value + step);
      expected.push_back(value);
      for (int shift = 12; shift >= 0; shift -= 4)
        put(static_cast<std::uint8_t>((step >> shift) & 0xF));
    }
    remaining -= run;
  }
  ASSERT_GT(block.size(), 60000u);
  EXPECT_EQ(Decoded(block), expected);
}

}  // namespace
}  // namespace Dexal
