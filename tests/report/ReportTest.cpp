// Every tests/testdata/report/NAME.csv, and the folder archive/, made into its report, plots
// and tables, compared byte for byte with NAME.html (its style sheet and plots as markers),
// NAME.plots/, NAME.table.csv, NAME.excel.csv, NAME.excel-semicolon.csv and NAME.warnings
// (DEXAL_REGENERATE_GOLDEN=1 writes them anew: read them before keeping them); the plot axes, the
// time of making, the order of the summary and the plots' file names over the case tables there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include "DexalVersion.h"
#include "csv/DexalCSVreader.h"
#include "report/AssetHistory.h"
#include "report/AssetRecords.h"
#include "report/PlotAxis.h"
#include "report/ReportFiles.h"
#include "report/ReportModel.h"
#include "report/ReportText.h"
#include "tests/support/CaseTable.h"
#include "tests/support/CsvShorthand.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// 2026-03-05 08:40:00 UTC.
constexpr std::int64_t kMadeAt = 1772700000;

// The program's version stands in the golden files as @VERSION@, so that a new version number
// does not change them.
void ExpectGolden(const std::string& made, const std::string& golden) {
  ExpectGoldenFile(ReplaceAll(made, DEXAL_VERSION_TEXT, "@VERSION@"), golden);
}

std::set<std::string> FileNames(const fs::path& dir) {
  std::set<std::string> names;
  std::error_code none;  // no folder, no names
  for (const auto& entry : fs::directory_iterator(dir, none)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// The report as its golden file holds it: the style sheet as "@style@" (what it does to the page
// is checked in the browser, tests/report/report_e2e.py), and each plot drawn in the page as
// "@plot NAME@" when it is the plot file NAME without the XML declaration and the white
// background that a file of its own begins with.
std::string ReportAsGolden(std::string html, const fs::path& plots) {
  const std::string open = "<style>\n";
  const auto from = html.find(open);
  const auto to = html.find("</style>");
  if (from != std::string::npos && to != std::string::npos && to > from + open.size()) {
    const std::size_t start = from + open.size();
    html.replace(start, to - start, "@style@\n");
  }
  for (const std::string& name : FileNames(plots)) {
    std::string drawn = ReadFileBytes(plots / name);
    drawn = ReplaceAll(drawn, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", "");
    drawn = std::regex_replace(
        drawn, std::regex("<rect width=\"680\" height=\"\\d+\" fill=\"#fff\"/>\n"), "");
    html = ReplaceAll(html, drawn, "@plot " + name + "@\n");
  }
  return html;
}

TEST(ReportGolden, ReportPlotsAndTablesOfEachFile) {
  // Each file, and the folder of an archive of downloads read as one record set.
  std::vector<std::string> names = TestDataStems("report", ".csv");
  names.emplace_back("archive");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const fs::path data = TestDataPath("report");
    const fs::path source = fs::is_directory(data / name) ? data / name : data / (name + ".csv");
    const std::string golden = (data / name).string();
    // Each dialect with the results held in memory, put aside in a file, or some of each.
    for (const auto& [dialect, suffix, memory] :
         {std::tuple{TableDialect::Rfc4180, ".table.csv", std::size_t{0}},
          std::tuple{TableDialect::Excel, ".excel.csv", std::size_t{20000}},
          std::tuple{TableDialect::ExcelSemicolon, ".excel-semicolon.csv",
                     ResultStore::kDefaultBudget}}) {
      SCOPED_TRACE(memory);
      TempDir dir;
      ReportRequest request{ReportInputsFrom({source.string()}),
                            dir / "report.html",
                            dir / "plots",
                            dir / "table.csv",
                            dialect,
                            kMadeAt,
                            dir / "records"};
      request.resultMemory = memory;
      std::vector<std::string> said;
      ASSERT_NO_THROW(said = MakeReport(request));
      std::string warnings;
      for (std::string w : said) {
#ifdef _WIN32
        w = ReplaceAll(w, "\\", "/");  // the paths as the golden spells them
#endif
        warnings += ReplaceAll(w, data.generic_string() + "/", "") + "\n";
      }
      ExpectGolden(ReadFileBytes(dir / "table.csv"), golden + suffix);
      if (!warnings.empty() || fs::exists(golden + ".warnings")) {
        ExpectGolden(warnings, golden + ".warnings");
      }
      ExpectGolden(ReportAsGolden(ReadFileBytes(dir / "report.html"), dir / "plots"),
                   golden + ".html");
      // The plot files as they are, the assets' records as the report.
      for (const std::string folder : {"plots", "records"}) {
        const std::set<std::string> made = FileNames(dir / folder);
        if (std::getenv("DEXAL_REGENERATE_GOLDEN") == nullptr) {
          EXPECT_EQ(made, FileNames(golden + "." + folder));
        }
        for (const std::string& file : made) {
          const std::string bytes = ReadFileBytes(dir / folder / file);
          ExpectGolden(folder == "plots" ? bytes : ReportAsGolden(bytes, dir / "plots"),
                       golden + "." + folder + "/" + file);
        }
      }
    }
  }
  EXPECT_GT(names.size(), 0u);
}

// The demo download and a file with a comment of two lines, as spreadsheets save them when
// nothing is lost (a byte-order mark, no final empty line, LF for CR LF, all three), give the
// same report and table, byte for byte, but for the size and digest of the file.
TEST(ReportGolden, SameReportFromTheFileAsSpreadsheetsSaveIt) {
  const std::regex sizeAndDigest("<td>\\d+ bytes</td></tr>\n<tr><th>SHA-256</th><td[^<]*");
  for (const char* file : {"download/demo.csv", "report/small.csv"}) {
    const std::string demo = ReadFileBytes(TestDataPath(file));
    const std::string cut = demo.substr(0, demo.size() - 2), bom = "\xEF\xBB\xBF";
    TempDir dir;
    std::set<std::string> made;
    for (const std::string& csv : {demo, bom + demo, cut, ReplaceAll(demo, "\r\n", "\n"),
                                   bom + ReplaceAll(cut, "\r\n", "\n")}) {
      WriteFileBytes(dir / "demo.csv", csv);
      MakeReport({{{dir / "demo.csv", "demo.csv", "demo.csv"}},
                  dir / "demo.html",
                  std::nullopt,
                  dir / "table.csv",
                  TableDialect::Excel,
                  kMadeAt,
                  std::nullopt});
      made.insert(std::regex_replace(ReadFileBytes(dir / "demo.html"), sizeAndDigest, "") +
                  ReadFileBytes(dir / "table.csv"));
    }
    EXPECT_EQ(made.size(), 1u) << file;
  }
}

TEST(ReportParts, AxesOverRoundNumbers) {
  ExpectEachRow("report/axes.txt", 5, [](const auto& cells) {
    const double low = std::stod(cells[1]), high = std::stod(cells[2]);
    const int intervals = std::stoi(cells[3]);
    const PlotAxis axis = cells[0] == "round" ? RoundAxis(low, high, intervals)
                                              : RoundTicksWithin(low, high, intervals);
    std::string shown = ShortestText(axis.low) + " " + ShortestText(axis.high) + " :";
    for (const double tick : axis.ticks) shown += " " + TickText(axis, tick);
    return shown;
  });
}

TEST(ReportParts, TimeOfMakingInUtc) {
  ExpectEachRow("report/made-at.txt", 2,
                [](const auto& cells) { return UtcTextFromSeconds(std::stoll(cells[0])); });
}

TEST(ReportParts, SummaryOrder) {
  ExpectEachRow("report/summary-order.txt", 2, [](const auto& cells) {
    std::string csv = "$T";
    std::istringstream results(cells[0]);
    for (std::string result; std::getline(results, result, ',');) {
      std::istringstream words(result);
      std::string asset, status;
      words >> asset >> status;
      csv += "$C\r\n" + asset + ",Make,Model,SN1,2026-01-02T03:04:05,Defib Pulse," + status +
             ",,50\r\n\r\n";
    }
    const std::string text = CsvFromShorthand(csv);
    DexalCSVreader reader(std::string_view(text), "results.csv");
    std::string order;
    for (const ReportAsset& asset : ReportModelFromReader(reader).assets) {
      order += (order.empty() ? "" : " ") + asset.assetId;
    }
    return order;
  });
}

TEST(ReportParts, DriftNote) {
  static const MeasurementLabel kChargeTime{"Charge time", "s", "DefibChargeTime"};
  ExpectEachRow("report/drift.txt", 2, [](const auto& cells) {
    std::vector<ReportResult> results;
    std::istringstream times(cells[0]);
    for (std::string time; times >> time;) {
      ReportResult& r = results.emplace_back();
      r.date = "2020-01-0" + std::to_string(results.size()) + "T09:00:00";
      r.measurements.push_back({&kChargeTime, time, true});
    }
    std::vector<const ReportResult*> asset;
    for (const ReportResult& r : results) asset.push_back(&r);
    const std::string note = DriftNote(asset);
    return note.empty() ? "-" : note;
  });
}

TEST(ReportParts, PlotFileNames) {
  ExpectEachRow("report/plot-names.txt", 4, [](const auto& cells) {
    return PlotFileName(std::stoul(cells[0]), std::stoul(cells[1]), cells[2]);
  });
}

TEST(ReportParts, RecordFileNames) {
  ExpectEachRow("report/record-names.txt", 2, [](const auto& cells) {
    std::vector<std::string> ids;
    std::istringstream list(cells[0]);
    for (std::string id; std::getline(list, id, ',');) ids.push_back(id);
    std::string names;
    for (const std::string& name : RecordFileNames(ids)) names += (names.empty() ? "" : " ") + name;
    return names;
  });
}

}  // namespace
}  // namespace Dexal
