// The CSV reader over the case tables in tests/testdata/csv-reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "csv/DexalCSVreader.h"
#include "csv/DexalCsvError.h"
#include "tests/support/CaseTable.h"
#include "tests/support/Expect.h"

namespace Dexal {
namespace {

using testing::MessageOf;
using testing::ReadCaseTable;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// The shorthands of the tables' inputs spelt out.
std::string InputFromCell(const std::string& cell) {
  std::string text = Replaced(cell, "$T", "Serial,Service Date\r\nDX2-1,2025-09-01\r\n");
  text = Replaced(text, "$C",
                  "Asset ID,Asset Make,Asset Model,Asset Serial,Date,Test Type,Status,Comment,"
                  "NominalLoad");
  return Replaced(text, "$V",
                  "A1,\"Make\",\"Model\",\"SN1\",2026-01-02T03:04:05,Defib Pulse,Pass,\"\",50");
}

std::string PointText(const DexalCsvPoint& p) {
  char text[96];
  std::snprintf(text, sizeof text, "(%g %g %g)", p.timeMs, p.current, p.voltage);
  return text;
}

std::string Described(const DexalCsvFile& file) {
  std::string out = file.testerSerial + " " + file.serviceDate;
  for (const DexalCsvSection& section : file.sections) {
    out += " @" + std::to_string(section.line) + " ";
    for (const std::string& cell : section.values) out += "[" + cell + "]";
    if (!section.graphHeaders.empty()) {
      out += " graph=" + section.graphHeaders[1] + " " + std::to_string(section.points.size());
      if (!section.points.empty()) {
        out += " " + PointText(section.points.front()) + " " + PointText(section.points.back());
      }
    }
  }
  return out;
}

TEST(CsvReader, ReadsTheFilesThisProgramWrites) {
  for (const auto& row : ReadCaseTable("csv-reader/files.txt", 2)) {
    SCOPED_TRACE(row.where);
    std::string described;
    const std::string message = MessageOf<DexalCsvError>([&] {
      described = Described(CsvFileFromText(InputFromCell(row.cells[0]), "results.csv"));
    });
    EXPECT_EQ(message, "(nothing thrown)");
    EXPECT_EQ(described, row.cells[1]);
  }
}

TEST(CsvReader, RefusesOtherFilesNamingTheLine) {
  for (const auto& row : ReadCaseTable("csv-reader/bad-files.txt", 2)) {
    SCOPED_TRACE(row.where);
    EXPECT_EQ(MessageOf<DexalCsvError>(
                  [&] { CsvFileFromText(InputFromCell(row.cells[0]), "results.csv"); }),
              row.cells[1]);
  }
}

}  // namespace
}  // namespace Dexal
