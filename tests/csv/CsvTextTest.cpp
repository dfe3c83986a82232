#include "csv/DexalCsvText.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/CalendarTime.h"

namespace Dexal {
namespace {

std::string TextCell(std::string_view text) {
  std::string out;
  AppendTextCell(out, text);
  return out;
}

std::string QuotedCell(std::string_view text) {
  std::string out;
  AppendQuotedCell(out, text);
  return out;
}

TEST(TextCells, PlainTextStaysBare) {
  EXPECT_EQ(TextCell("AB-123 x"), "AB-123 x");
  EXPECT_EQ(TextCell(""), "");
  EXPECT_EQ(TextCell("semi;colon 'single'"), "semi;colon 'single'");
}

TEST(TextCells, SpecialCharactersForceQuotes) {
  EXPECT_EQ(TextCell("A,B"), "\"A,B\"");
  EXPECT_EQ(TextCell("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(TextCell("cr\rhere"), "\"cr\rhere\"");
  EXPECT_EQ(TextCell("line1\nline2"), "\"line1\r\nline2\"");
}

TEST(TextCells, LineFeedBecomesCrLfEvenAfterCr) {
  // A text-mode stream turns every LF into CR LF, also one already preceded by CR.
  EXPECT_EQ(TextCell("a\r\nb"), "\"a\r\r\nb\"");
  EXPECT_EQ(TextCell("\n\n"), "\"\r\n\r\n\"");
}

TEST(QuotedCells, AlwaysQuotedWithInnerQuotesDoubled) {
  EXPECT_EQ(QuotedCell(""), "\"\"");
  EXPECT_EQ(QuotedCell("Zoll"), "\"Zoll\"");
  EXPECT_EQ(QuotedCell("Make \"X\", Inc"), "\"Make \"\"X\"\", Inc\"");
  EXPECT_EQ(QuotedCell("\""), "\"\"\"\"");
  EXPECT_EQ(QuotedCell("a\nb"), "\"a\r\nb\"");
}

TEST(TextCells, AppendKeepsEarlierText) {
  std::string out = "x,";
  AppendTextCell(out, "y,z");
  out += ',';
  AppendQuotedCell(out, "w");
  EXPECT_EQ(out, "x,\"y,z\",\"w\"");
}

TEST(DateTimeText, LocalFieldsComeBack) {
  const CalendarTime time = CalendarTimeFromLocal(LocalDateFields(2014, 3, 7, 14, 5, 9));
  ASSERT_NE(time, -1);
  EXPECT_EQ(StringFromDateTime(time), "2014-03-07T14:05:09");
  EXPECT_EQ(DateStringFromDateTime(time), "2014-03-07");
}

TEST(DateTimeText, EarlyMorningAndSingleDigitsArePadded) {
  const CalendarTime time = CalendarTimeFromLocal(LocalDateFields(2013, 11, 4, 0, 0, 1));
  ASSERT_NE(time, -1);
  EXPECT_EQ(StringFromDateTime(time), "2013-11-04T00:00:01");
  EXPECT_EQ(DateStringFromDateTime(time), "2013-11-04");
}

TEST(DateTimeText, TimesOutsideTheConvertibleRangeGiveEmptyText) {
  EXPECT_EQ(StringFromDateTime(-1), "");
  EXPECT_EQ(StringFromDateTime(-86400LL * 365), "");
  EXPECT_EQ(StringFromDateTime(32535215999LL + 1), "");
  EXPECT_EQ(DateStringFromDateTime(-1), "");
  EXPECT_EQ(DateStringFromDateTime(INT64_MAX), "");
  EXPECT_EQ(StringFromDateTime(0).size(), 19u);
  EXPECT_EQ(StringFromDateTime(32535215999LL).size(), 19u);
}

TEST(WideText, PathsConvertToUtf8) {
  EXPECT_EQ(Utf8FromWide(L"C:\\out\\results.csv"), "C:\\out\\results.csv");
  EXPECT_EQ(Utf8FromWide(L"/tmp/\u00e9t\u00e9.csv"), "/tmp/\xc3\xa9t\xc3\xa9.csv");
  EXPECT_EQ(Utf8FromWide(L""), "");
}

}  // namespace
}  // namespace Dexal
