// The plot axes and the time of making over the case tables in tests/testdata/report.
#include <gtest/gtest.h>

#include <string>

#include "report/PlotAxis.h"
#include "report/ReportText.h"
#include "tests/support/CaseTable.h"

namespace Dexal {
namespace {

using testing::ReadCaseTable;

TEST(ReportParts, AxesOverRoundNumbers) {
  for (const auto& row : ReadCaseTable("report/axes.txt", 5)) {
    SCOPED_TRACE(row.where);
    const double low = std::stod(row.cells[1]), high = std::stod(row.cells[2]);
    const int intervals = std::stoi(row.cells[3]);
    const PlotAxis axis = row.cells[0] == "round" ? RoundAxis(low, high, intervals)
                                                  : RoundTicksWithin(low, high, intervals);
    std::string shown = ShortestText(axis.low) + " " + ShortestText(axis.high) + " :";
    for (const double tick : axis.ticks) shown += " " + TickText(axis, tick);
    EXPECT_EQ(shown, row.cells[4]);
  }
}

TEST(ReportParts, TimeOfMakingInUtc) {
  for (const auto& row : ReadCaseTable("report/made-at.txt", 2)) {
    SCOPED_TRACE(row.where);
    EXPECT_EQ(UtcTextFromSeconds(std::stoll(row.cells[0])), row.cells[1]);
  }
}

}  // namespace
}  // namespace Dexal
