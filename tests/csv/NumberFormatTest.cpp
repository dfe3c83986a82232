// The number formats against tests/testdata/csv/number_formats.txt.
#include "csv/DexalNumberFormat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>

#include "tests/support/CaseTable.h"

namespace Dexal {
namespace {

// "0.15f" is the float 0.15 widened; "0.0025f*1000" is that times 1000 in double.
double ValueOf(std::string text) {
  double factor = 1.0;
  if (const auto star = text.find('*'); star != std::string::npos) {
    factor = std::strtod(text.c_str() + star + 1, nullptr);
    text.resize(star);
  }
  const double value = text.back() == 'f' ? static_cast<double>(std::strtof(text.c_str(), nullptr))
                                          : std::strtod(text.c_str(), nullptr);
  return value * factor;
}

TEST(NumberFormats, EachValueGivesItsText) {
  const std::map<std::string, std::function<std::string(double)>> formats{
      {"fixed 0", [](double v) { return FormatFixed(v, 0); }},
      {"fixed 1", [](double v) { return FormatFixed(v, 1); }},
      {"fixed 2", [](double v) { return FormatFixed(v, 2); }},
      {"add half", FormatIntegerAddHalf},
      {"away", FormatIntegerAwayFromZero},
      {"general", FormatGeneral}};
  for (const testing::CaseRow& row : testing::ReadCaseTable("csv/number_formats.txt", 3)) {
    SCOPED_TRACE(row.where);
    ASSERT_EQ(formats.count(row.cells[0]), 1u);
    EXPECT_EQ(formats.at(row.cells[0])(ValueOf(row.cells[1])), row.cells[2]) << row.cells[1];
  }
}

}  // namespace
}  // namespace Dexal
