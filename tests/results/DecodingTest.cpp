// Result segments through CreateResult and the record decoder, against the case tables under
// tests/testdata/results. What a decoded record holds is in the golden downloads.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "results/CreateResult.h"
#include "results/DexalResultDecoder.h"
#include "results/FieldReaders.h"
#include "tests/support/Bytes.h"
#include "tests/support/CaseTable.h"
#include "tests/support/Expect.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

using testing::BytesFromHex;
using testing::CaseRow;
using testing::ReadCaseTable;

const std::string kSubscript = "(other exception) St12out_of_range: invalid vector<T> subscript";

// The message of decoding the two segments, as the tables spell it.
std::string DecodeMessage(const ByteVector& criteria, const ByteVector& data) {
  DexalCmdResultData result(nullptr, "T1");
  result.criteriaSegment = criteria;
  result.dataSegment = data;
  const std::string message = testing::MessageOf<std::runtime_error>([&] {
    const std::unique_ptr<DexalResult> record = CreateResult(&result);
    if (!record) throw std::runtime_error("(no record)");
    DexalResultDecoder decoder;
    if (!record->accept(decoder)) throw std::runtime_error("(refused)");
  });
  return message == kSubscript ? "subscript" : message;
}

TEST(Decoding, EachSegmentGivesItsMessage) {
  for (const CaseRow& row : ReadCaseTable("results/decoding.txt", 3)) {
    SCOPED_TRACE(row.where);
    EXPECT_EQ(DecodeMessage(BytesFromHex(row.cells[0]), BytesFromHex(row.cells[1])), row.cells[2]);
  }
}

TEST(Decoding, EachTestTypeTakesExactlyItsTags) {
  for (const CaseRow& row : ReadCaseTable("results/data_tags.txt", 3)) {
    SCOPED_TRACE(row.where);
    const ByteVector criteria = BytesFromHex("06 01" + row.cells[0].substr(2));
    const std::string taken = " " + row.cells[2] + " ";
    for (int tag = 0; tag <= 0x30; ++tag) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%02X", tag);
      // Eight zero bytes every reader can take; for 0x19 a block of ten zero samples.
      const std::string value = tag == 0x19 ? " 03 00 00 0A" : " 08 00 00 00 00 00 00 00 00";
      const ByteVector data = BytesFromHex(hex + value);
      const bool accepted = taken.find(" " + std::string(hex) + " ") != std::string::npos;
      EXPECT_EQ(
          DecodeMessage(criteria, data),
          accepted ? "(nothing thrown)" : "Unexpected data. Tag not recognised in " + row.cells[1])
          << "tag " << hex;
    }
    EXPECT_EQ(DecodeMessage(criteria, {0x11}), "Failed to read a data Tag in " + row.cells[1]);
  }
}

TEST(Decoding, FailedSampleBlockLeavesAnEmptyProfileAttached) {
  DexalCmdResultData result(nullptr, "T1");
  result.criteriaSegment = BytesFromHex("06 01 11");
  result.dataSegment = BytesFromHex("11 01 41 19 03 00 00 09");
  DexalDefibChargeTest record(&result);
  DexalResultDecoder decoder;
  EXPECT_EQ(testing::MessageOf<std::runtime_error>([&] { record.accept(decoder); }),
            "Sample Count zero when setting profile data");
  EXPECT_EQ(record.comment, "A");
  ASSERT_NE(record.profile, nullptr);
  EXPECT_TRUE(record.profile->samples.empty());
  DexalDefibPulseTest orphan(nullptr);
  EXPECT_EQ(testing::MessageOf<std::runtime_error>([&] { orphan.accept(decoder); }),
            "No raw data associated with this result");
}

// accept hands back whatever the visitor answers.
class Refusing : public DexalResultDecoder {
 public:
  using DexalResultDecoder::visit;
  bool visit(DexalGeneralObservationTest&) override { return false; }
};

TEST(Decoding, AcceptPassesTheVisitorsAnswerOn) {
  DexalCmdResultData result(nullptr, "T1");
  result.criteriaSegment = BytesFromHex("06 01 01");
  DexalGeneralObservationTest record(&result);
  Refusing refusing;
  EXPECT_FALSE(record.accept(refusing));
  DexalResultDecoder decoder;
  EXPECT_TRUE(record.accept(decoder));
}

TEST(TagFromVector, ReadsTwoVarintsOfAtMostSixBytes) {
  for (const CaseRow& row : ReadCaseTable("results/varints.txt", 4)) {
    SCOPED_TRACE(row.where);
    std::size_t cursor = 0;
    std::uint32_t tag = 0, length = 0;
    const bool read = TagFromVector(BytesFromHex(row.cells[0]), cursor, tag, length);
    std::ostringstream got;
    if (read) got << tag << " " << length << " " << cursor;
    EXPECT_EQ(
        read ? got.str() : "fails",
        row.cells[3] == "fails" ? "fails" : row.cells[1] + " " + row.cells[2] + " " + row.cells[3]);
  }
}

// The tester's fields are the wall-clock time where the download runs: in London's summer its
// 14:30 is 13:30 UTC, so the file shows the 14:30 the tester showed.
TEST(DateTimeFromVector, TakesTheFieldsAsWallClockTime) {
  const ByteVector june = BytesFromHex("DC 07 06 0F 0E 1E 00 00");
  {
    const testing::ScopedTimeZone utc("UTC0");
    EXPECT_EQ(DateTimeFromVector(june, 0), 1339770600);
  }
#ifndef _WIN32
  const testing::ScopedTimeZone london("Europe/London");
  EXPECT_EQ(DateTimeFromVector(june, 0), 1339770600 - 3600);
#endif
}

}  // namespace
}  // namespace Dexal
