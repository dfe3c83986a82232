#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace Dexal::testing {

// One row of a case table: its cells and where it stands, for the failure message.
struct CaseRow {
  std::string where;  // "file:line"
  std::vector<std::string> cells;
};

// A case table under tests/testdata: one case a line, cells separated by '|', each cell trimmed.
// Lines that are empty or begin with '#' are skipped. In a cell, \r \n \t \\ \| \s (a space)
// and \xHH stand for the characters they name. With a `width`, fails the test on a row of
// another width, and on a table with no '#' line of that many cells, naming its columns, before
// its first case.
std::vector<CaseRow> ReadCaseTable(const std::string& relative, std::size_t width = 0);

// Every row's cells through `each`, the row's place in the trace of any failure.
template <class Each>
void ForEachRow(const std::string& relative, std::size_t width, Each each) {
  for (const CaseRow& row : ReadCaseTable(relative, width)) {
    SCOPED_TRACE(row.where);
    each(row.cells);
  }
}

// Every row of the table through `got`, which must give the row's last cell.
template <class Got>
void ExpectEachRow(const std::string& relative, std::size_t width, Got got) {
  ForEachRow(relative, width, [&](const auto& cells) { EXPECT_EQ(got(cells), cells.back()); });
}

}  // namespace Dexal::testing
