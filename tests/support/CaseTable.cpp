#include "tests/support/CaseTable.h"

#include <gtest/gtest.h>

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

}  // namespace

std::string Unescape(const std::string& cell) {
  std::string out;
  for (std::size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] != '\\' || i + 1 == cell.size()) {
      out += cell[i];
      continue;
    }
    const char c = cell[++i];
    switch (c) {
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 's':
        out += ' ';
        break;
      case 'x':
        out += static_cast<char>(std::stoi(cell.substr(i + 1, 2), nullptr, 16));
        i += 2;
        break;
      default:
        out += c;
        break;
    }
  }
  return out;
}

std::vector<CaseRow> ReadCaseTable(const std::string& relative, std::size_t width) {
  std::vector<CaseRow> rows;
  std::ifstream in(TestDataPath(relative), std::ios::binary);
  EXPECT_TRUE(in) << "cannot read tests/testdata/" << relative;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string trimmed = Trim(line);
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
    if (width != 0) {
      EXPECT_EQ(row.cells.size(), width) << row.where;
    }
    rows.push_back(std::move(row));
  }
  EXPECT_FALSE(rows.empty()) << "no cases in tests/testdata/" << relative;
  return rows;
}

}  // namespace Dexal::testing
