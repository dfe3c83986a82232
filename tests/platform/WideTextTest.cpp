// UTF-8 and wide text made from each other, over platform/wide-text.txt: natively wchar_t holds
// UTF-32, under Wine UTF-16.
#include "platform/WideText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <type_traits>

#include "tests/support/Bytes.h"
#include "tests/support/CaseTable.h"

namespace Dexal {
namespace {

// "61 D83D DE00": code units in hexadecimal.
std::wstring WideFromUnits(const std::string& units) {
  std::wstring text;
  std::istringstream in(units);
  for (std::string unit; in >> unit;) {
    text.push_back(static_cast<wchar_t>(std::stoul(unit, nullptr, 16)));
  }
  return text;
}

std::string UnitsOf(const std::wstring& text) {
  std::string units;
  for (const wchar_t unit : text) {
    char hex[12];
    std::snprintf(hex, sizeof hex, "%s%X", units.empty() ? "" : " ",
                  static_cast<unsigned>(static_cast<std::make_unsigned_t<wchar_t>>(unit)));
    units += hex;
  }
  return units;
}

std::string Utf8FromHex(const std::string& hex) {
  const ByteVector bytes = testing::BytesFromHex(hex);
  return std::string(bytes.begin(), bytes.end());
}

TEST(WideText, EachWayAsTheTableSays) {
  const std::size_t column = sizeof(wchar_t) == 2 ? 2 : 3;
  for (const testing::CaseRow& row : testing::ReadCaseTable("platform/wide-text.txt", 4)) {
    SCOPED_TRACE(row.where);
    const std::string& way = row.cells[0];
    const std::string& units = row.cells[column];
    if (units == "-") continue;
    if (way == "both" || way == "to-wide") {
      EXPECT_EQ(UnitsOf(WideTextFromUtf8(Utf8FromHex(row.cells[1]))), units);
    }
    if (way == "both" || way == "to-utf8") {
      const std::string utf8 = Utf8FromWideText(WideFromUnits(units));
      EXPECT_EQ(utf8, row.cells[1] == "refused" ? "" : Utf8FromHex(row.cells[1]));
    }
  }
}

}  // namespace
}  // namespace Dexal
