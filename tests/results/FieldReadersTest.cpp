#include "results/FieldReaders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

#include "ResultTestSupport.h"

namespace Dexal {
namespace {

using testing::ResultData;

// Sets TZ for one test and restores it afterwards.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old, hadOne_ = true;
    Set(zone);
  }
  ~ScopedTimeZone() { hadOne_ ? Set(saved_.c_str()) : Unset(); }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  static void Set(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
  }
  static void Unset() {
#ifdef _WIN32
    _putenv_s("TZ", "");
    _tzset();
#else
    unsetenv("TZ");
    tzset();
#endif
  }
  std::string saved_;
  bool hadOne_ = false;
};

std::string ErrorOf(auto&& call) {
  try {
    call();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

TEST(TagFromVector, ReadsVarintsUpToSixBytes) {
  struct Case {
    ByteVector bytes;
    bool ok;
    std::uint32_t tag, length;
    std::size_t end;
  };
  const Case cases[] = {
      {{0x06, 0x00}, true, 6, 0, 2},
      {{0x96, 0x01, 0x05}, true, 150, 5, 3},
      {{0x81, 0x80, 0x80, 0x80, 0x80, 0x00, 0x02}, true, 1, 2, 7},  // six bytes, the sixth ends it
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0x01}, true, 0xFFFFFFFFu, 1, 6},
      // Bits from 32 up are dropped: the fifth byte's high bits and the whole sixth byte.
      {{0x80, 0x80, 0x80, 0x80, 0x70, 0x00}, true, 0, 0, 6},
      {{0x80, 0x80, 0x80, 0x80, 0x80, 0x7F, 0x03}, true, 0, 3, 7},
      {{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00, 0x00}, false, 0, 0, 0},  // seventh byte needed
      {{0x06}, false, 0, 0, 0},                                            // no length
      {{0x06, 0x80}, false, 0, 0, 0},                                      // length cut short
      {{}, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::size_t cursor = 0;
    std::uint32_t tag = 99, length = 99;
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    ASSERT_EQ(TagFromVector(c.bytes, cursor, tag, length), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(tag, c.tag);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(cursor, c.end);
  }
}

TEST(TypedReaders, ReadExactlyTheirBytesOrNameThemselves) {
  const ByteVector segment{0x34, 0x12, 0x00, 0x00, 0xC0, 0x3F};
  EXPECT_EQ(WordFromVector(segment, 0), 0x1234);
  EXPECT_EQ(FloatFromVector(segment, 2), 1.5f);
  EXPECT_EQ(ByteFromVector(segment, 5), 0x3F);
  EXPECT_TRUE(FlagFromVector(ByteVector{0x02}, 0));
  EXPECT_FALSE(FlagFromVector(ByteVector{0x00}, 0));
  EXPECT_EQ(StringFromVector(ByteVector{'a', 0, 'b'}, 0, 3), std::string("a\0b", 3));
  EXPECT_EQ(StringFromVector(segment, 6, 0), "");

  const std::string tail = ": Not enough bytes left to provide the value requested.";
  EXPECT_EQ(ErrorOf([&] { WordFromVector(segment, 5); }), "WordFromVector" + tail);
  EXPECT_EQ(ErrorOf([&] { FloatFromVector(segment, 3); }), "FloatFromVector" + tail);
  EXPECT_EQ(ErrorOf([&] { ByteFromVector(segment, 6); }), "ByteFromVector" + tail);
  EXPECT_EQ(ErrorOf([&] { StringFromVector(segment, 2, 5); }), "StringFromVector" + tail);
  EXPECT_EQ(ErrorOf([&] { StringFromVector(segment, 2, 0xFFFFFFFFu); }), "StringFromVector" + tail);
  EXPECT_EQ(ErrorOf([&] { DateTimeFromVector(segment, 0); }), "DateTimeFromVector" + tail);
  EXPECT_EQ(ErrorOf([&] { SimWaveFormFromVector(segment, 0); }), "SimWaveFormFromVector" + tail);
}

TEST(SimWaveFormFromVector, DecodesRateAndSignedPeak) {
  const DexalSimWaveForm setting =
      SimWaveFormFromVector(ByteVector{0x07, 0x03, 0x58, 0x02, 0xF4, 0x01, 0x00, 0x00}, 0);
  EXPECT_EQ(setting.waveform, 7);
  EXPECT_EQ(setting.extra, 3);
  EXPECT_EQ(setting.rate, 600);
  EXPECT_EQ(setting.peak, 0.5f);
  EXPECT_EQ(SimWaveFormFromVector(ByteVector{7, 0, 0x58, 2, 0x0C, 0xFE, 0, 0}, 0).peak, -0.5f);
}

TEST(DateTimeFromVector, TakesTheFieldsAsLocalWallClockTime) {
  const ByteVector june{0xDC, 0x07, 0x06, 0x0F, 0x0E, 0x1E, 0x00, 0x00};  // 2012-06-15 14:30:00
  {
    ScopedTimeZone zone("UTC0");
    EXPECT_EQ(DateTimeFromVector(june, 0), 1339770600);
    // Month 0 is December of the year before; day 0 the last day of the month before.
    EXPECT_EQ(DateTimeFromVector(ByteVector{0xDC, 0x07, 0, 1, 0, 0, 0, 0}, 0), 1322697600);
    EXPECT_EQ(DateTimeFromVector(ByteVector{0xDC, 0x07, 3, 0, 0, 0, 0, 0}, 0), 1330473600);
  }
#ifndef _WIN32
  {
    // In summer the tester's 14:30 is 13:30 UTC in London: no hour lost to daylight saving.
    ScopedTimeZone zone("Europe/London");
    EXPECT_EQ(DateTimeFromVector(june, 0), 1339770600 - 3600);
    std::tm fields{};
    const std::time_t back = static_cast<std::time_t>(DateTimeFromVector(june, 0));
    ASSERT_NE(localtime_r(&back, &fields), nullptr);
    EXPECT_EQ(fields.tm_hour, 14);
    EXPECT_EQ(fields.tm_min, 30);
  }
#endif
}

TEST(CriteriaFromVector, FillsTheCommonFieldsLaterItemsWinning) {
  ScopedTimeZone zone("UTC0");
  const ByteVector criteria = SegmentWriter()
                                  .String(1, "old")
                                  .String(1, std::string("AS\0ET", 5))
                                  .String(2, "Zoll")
                                  .String(3, "")
                                  .String(4, "SN-1")
                                  .DateTime(5, {2012, 6, 15, 14, 30, 0})
                                  .Byte(6, 0x10)
                                  .Byte(7, 0)
                                  .Data();
  DexalCmdResultData data = ResultData(criteria);
  DexalDefibPulseTest record(&data);
  EXPECT_EQ(record.status, 1);  // pass until the segment says otherwise
  EXPECT_EQ(record.testerSerial, "T1234");
  ASSERT_TRUE(CriteriaFromVector(record));
  EXPECT_EQ(record.assetId, std::string("AS\0ET", 5));
  EXPECT_EQ(record.assetMake, "Zoll");
  EXPECT_EQ(record.assetModel, "");
  EXPECT_EQ(record.assetSerial, "SN-1");
  EXPECT_EQ(record.testDate, 1339770600);
  EXPECT_EQ(record.testType, 0x10);
  EXPECT_EQ(record.status, 0);
}

TEST(CriteriaFromVector, ReportsEveryKindOfBadSegment) {
  const std::string tail = ": Not enough bytes left to provide the value requested.";
  struct Case {
    ByteVector segment;
    std::string error;
  };
  const Case cases[] = {
      {{0x01}, "Failed to read a data Tag in result criteria segment"},
      {{0x01, 0x00, 0x02, 0x80}, "Failed to read a data Tag in result criteria segment"},
      {SegmentWriter().Byte(8, 1).Data(),
       "Unexpected data. Tag not recognised in result criteria segment"},
      {SegmentWriter().Byte(0, 1).Data(),
       "Unexpected data. Tag not recognised in result criteria segment"},
      {SegmentWriter().Item(7, 0, {}).Data(), "ByteFromVector" + tail},
      {SegmentWriter().Item(1, 4, {'a', 'b'}).Data(), "StringFromVector" + tail},
      {SegmentWriter().Item(5, 8, {0xDC, 0x07, 6}).Data(), "DateTimeFromVector" + tail},
  };
  for (const Case& c : cases) {
    DexalCmdResultData data = ResultData(c.segment);
    DexalDefibPulseTest record(&data);
    EXPECT_EQ(ErrorOf([&] { CriteriaFromVector(record); }), c.error)
        << ::testing::PrintToString(c.segment);
  }
  DexalDefibPulseTest orphan(nullptr);
  EXPECT_EQ(ErrorOf([&] { CriteriaFromVector(orphan); }),
            "No raw data associated with this result");
}

TEST(CriteriaFromVector, FixedSizeItemsReadTheirSizeWhateverTheLength) {
  // A status declared empty but followed by another item reads that item's first byte; the
  // walk still goes on at the next item.
  DexalCmdResultData data = ResultData(SegmentWriter().Item(7, 0, {}).String(4, "SN").Data());
  DexalDefibPulseTest record(&data);
  CriteriaFromVector(record);
  EXPECT_EQ(record.status, 4);
  EXPECT_EQ(record.assetSerial, "SN");

  // A length of 2^32 - 1 on a byte item ends the walk; the cursor never wraps back.
  DexalCmdResultData huge =
      ResultData(SegmentWriter().Item(7, 0xFFFFFFFFu, {0x00}).String(1, "never read").Data());
  DexalDefibPulseTest second(&huge);
  CriteriaFromVector(second);
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.assetId, "");
}

}  // namespace
}  // namespace Dexal
