// Every tests/testdata/report/NAME.csv made into its report, plots and tables, compared byte
// for byte with NAME.html, NAME.plots/, NAME.table.csv, NAME.excel.csv and
// NAME.excel-semicolon.csv. DEXAL_REGENERATE_GOLDEN=1 writes them anew: read them before
// keeping them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "DexalVersion.h"
#include "report/ReportFiles.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempDir;
using testing::TestDataPath;
using testing::WriteFileBytes;

// 2026-03-05 08:40:00 UTC.
constexpr std::int64_t kMadeAt = 1772700000;

// The program's version stands in the golden files as @VERSION@, so that a new version number
// does not change them.
std::string WithoutVersion(std::string bytes) {
  const std::string version = DEXAL_VERSION_TEXT;
  for (std::size_t at = 0; (at = bytes.find(version, at)) != std::string::npos;) {
    bytes.replace(at, version.size(), "@VERSION@");
  }
  return bytes;
}

void ExpectGolden(const fs::path& made, const fs::path& golden) {
  const std::string bytes = WithoutVersion(ReadFileBytes(made));
  if (std::getenv("DEXAL_REGENERATE_GOLDEN") != nullptr) {
    fs::create_directories(golden.parent_path());
    WriteFileBytes(golden, bytes);
    return;
  }
  EXPECT_EQ(bytes, ReadFileBytes(golden)) << "differs from " << golden;
}

std::set<std::string> FileNames(const fs::path& dir) {
  std::set<std::string> names;
  if (!fs::is_directory(dir)) return names;
  for (const auto& entry : fs::directory_iterator(dir))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(ReportGolden, ReportPlotsAndTablesOfEachFile) {
  int files = 0;
  for (const auto& entry : fs::directory_iterator(TestDataPath("report"))) {
    if (entry.path().extension() != ".csv" || entry.path().stem().extension() != "") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    ++files;
    const fs::path golden = entry.path().parent_path();
    TempDir dir;
    ReportRequest request;
    request.csv = entry.path();
    request.csvName = name + ".csv";
    request.html = dir / "report.html";
    request.plotsDir = dir / "plots";
    request.table = dir / "table.csv";
    request.madeAt = kMadeAt;
    ASSERT_NO_THROW(MakeReport(request));
    ExpectGolden(dir / "report.html", golden / (name + ".html"));
    ExpectGolden(dir / "table.csv", golden / (name + ".table.csv"));
    const std::set<std::string> plots = FileNames(dir / "plots");
    if (std::getenv("DEXAL_REGENERATE_GOLDEN") == nullptr) {
      EXPECT_EQ(plots, FileNames(golden / (name + ".plots")));
    }
    for (const std::string& plot : plots) {
      ExpectGolden(dir / "plots" / plot, golden / (name + ".plots") / plot);
    }
    for (const auto& [dialect, suffix] :
         {std::pair{TableDialect::Excel, ".excel.csv"},
          std::pair{TableDialect::ExcelSemicolon, ".excel-semicolon.csv"}}) {
      ReportRequest table{entry.path(), name + ".csv", {}, {}, dir / "dialect.csv", dialect, 0};
      ASSERT_NO_THROW(MakeReport(table));
      ExpectGolden(dir / "dialect.csv", golden / (name + suffix));
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace Dexal
