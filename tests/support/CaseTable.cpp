#include "tests/support/CaseTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/support/TestFiles.h"

namespace Dexal::testing {

namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The escapes of a cell resolved.
std::string Unescape(const std::string& cell) {
  static const std::string letters = "rnts", meant = "\r\n\t ";
  std::string out;
  for (std::size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] != '\\' || i + 1 == cell.size()) {
      out += cell[i];
    } else if (cell[++i] == 'x') {
      out += static_cast<char>(std::stoi(cell.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      const auto letter = letters.find(cell[i]);
      out += letter == std::string::npos ? cell[i] : meant[letter];
    }
  }
  return out;
}

}  // namespace

std::vector<CaseRow> ReadCaseTable(const std::string& relative, std::size_t width) {
  std::vector<CaseRow> rows;
  std::ifstream in(TestDataPath(relative), std::ios::binary);
  EXPECT_TRUE(in) << "cannot read tests/testdata/" << relative;
  std::string line;
  bool named = width == 0;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string trimmed = Trim(line);
    if (!trimmed.empty() && trimmed[0] == '#' && rows.empty()) {
      named =
          named || static_cast<std::size_t>(std::count(line.begin(), line.end(), '|')) + 1 == width;
    }
    if (trimmed.empty() || trimmed[0] == '#') continue;
    CaseRow row{relative + ":" + std::to_string(number), {}};
    std::string cell;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) {
        cell += line.substr(i, 2);
        ++i;
      } else if (line[i] == '|') {
        row.cells.push_back(Unescape(Trim(cell)));
        cell.clear();
      } else {
        cell += line[i];
      }
    }
    row.cells.push_back(Unescape(Trim(cell)));
    EXPECT_TRUE(width == 0 || row.cells.size() == width)
        << row.where << " is not " << width << " wide";
    rows.push_back(std::move(row));
  }
  EXPECT_FALSE(rows.empty()) << "no cases in tests/testdata/" << relative;
  EXPECT_TRUE(named) << "tests/testdata/" << relative << " names its " << width
                     << " columns in no '#' line (a | b | ...) before its first case";
  return rows;
}

}  // namespace Dexal::testing
