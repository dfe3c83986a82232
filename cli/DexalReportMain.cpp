// dexal-report: a downloaded CSV file as an HTML report, SVG plots and one flat table.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "DexalVersion.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleTerminal.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"
#include "report/ReportFiles.h"

namespace {

constexpr int kExitFailed = 1;
constexpr const char* kBoxCaption = "Dexal CSV report";

// Started with no argument where there is a desktop (the "Dexal CSV report" shortcut): the
// common open dialog asks for the CSV file, the report goes beside it as on the command line,
// and a message box says where, or why not. Cancelling the dialog ends the program quietly.
int RunFromDesktop() {
  using namespace Dexal;
  CloseOwnConsole();
  const std::optional<std::filesystem::path> csv = FileFromOpenDialog("CSV", "*.csv");
  if (!csv) return 0;
  ReportRequest request;
  request.csv = *csv;
  request.csvName = Utf8FromPath(csv->filename());
  request.madeAt = SourceDateOrNow();
  request.html = std::filesystem::path(*csv).replace_extension(".html");
  if (SameFile(*csv, *request.html)) {
    ShowMessageBox(kBoxCaption, Utf8FromPath(*csv) + ": the report would replace it", true);
    return kExitUsage;
  }
  try {
    MakeReport(request);
  } catch (const std::exception& e) {
    ShowMessageBox(kBoxCaption, e.what(), true);
    return kExitFailed;
  }
  ShowMessageBox(kBoxCaption, "Report written to\n" + Utf8FromPath(*request.html), false);
  return 0;
}

int RunProgram(int argc, char** argv) {
  using namespace Dexal;
  if (argc == 1 && HasDesktopDialogs()) return RunFromDesktop();
  CLI::App app{
      "Makes an HTML report with pulse plots, SVG plots and one flat table of a CSV "
      "file that dexal-download or the Dexal CSV Downloader wrote.",
      "dexal-report"};
  std::string csv, html, plots, table, dialect;
  app.add_option("csv", csv, "the CSV file of a download")->required();
  auto* htmlOption = app.add_option("--html", html,
                                    "HTML report to write (without any option: the CSV file's "
                                    "name with .html, beside it)");
  auto* plotsOption = app.add_option("--plots", plots,
                                     "folder for one SVG plot per pulse result (made when "
                                     "missing, but not its parent folders)");
  auto* tableOption = app.add_option("--table", table,
                                     "flat table to write: one row per measurement, RFC 4180 CSV");
  app.add_option("--dialect", dialect,
                 "the table for Excel (byte-order mark), or for Excel "
                 "where ';' separates lists (also decimal commas)")
      ->check(CLI::IsMember({"excel", "excel-semicolon"}))
      ->needs(tableOption);
  app.set_version_flag("--version", "dexal-report " DEXAL_VERSION_TEXT);
  app.footer(
      "Every output is written under a temporary name and moved into place when all are "
      "complete.\nExit status: 0 when every file was written, 1 when the CSV file cannot be "
      "read or an output cannot be written (every file is then as it was), 2 for a usage error "
      "(an output that is the CSV file or another output among them).");
  if (const std::optional<int> status = ParseCommandLine(app, argc, argv)) return *status;

  ReportRequest request;
  request.csv = PathFromUtf8(csv);
  request.csvName = csv;
  request.madeAt = SourceDateOrNow();
  if (!htmlOption->empty()) request.html = PathFromUtf8(html);
  if (!plotsOption->empty()) request.plotsDir = PathFromUtf8(plots);
  if (!tableOption->empty()) request.table = PathFromUtf8(table);
  if (!request.html && !request.plotsDir && !request.table) {
    request.html = std::filesystem::path(request.csv).replace_extension(".html");
  }
  if (const auto error = SameFileError({{"the CSV file", csv},
                                        {htmlOption->empty() ? "the HTML report" : "--html",
                                         Utf8FromPath(request.html.value_or(""))},
                                        {"--table", table},
                                        {"--plots", plots}})) {
    std::fprintf(stderr, "dexal-report: %s\n", error->c_str());
    return kExitUsage;
  }
  if (dialect == "excel") request.dialect = TableDialect::Excel;
  if (dialect == "excel-semicolon") request.dialect = TableDialect::ExcelSemicolon;
  try {
    MakeReport(request);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dexal-report: %s\n", e.what());
    return kExitFailed;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunProgram(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dexal-report: %s\n", e.what());
    return kExitFailed;
  }
}
