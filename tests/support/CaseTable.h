#pragma once

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
// and \xHH stand for the characters they name. Fails the test on a row whose width is not
// `width` (when given).
std::vector<CaseRow> ReadCaseTable(const std::string& relative, std::size_t width = 0);

// The escapes above resolved.
std::string Unescape(const std::string& cell);

}  // namespace Dexal::testing
