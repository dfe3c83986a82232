// dexal-report: a downloaded CSV file as an HTML report, SVG plots and one flat table.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
// common open dialog asks for the CSV files (one or several, read as one record set), a
// question whether to write the records of each asset too, into a folder beside the first; the
// report goes beside the first as on the command line, and a message box says where, or why
// not (and any conflicts found), and offers to open the report. Cancelling the dialog ends the
// program quietly.
int RunFromDesktop() {
  using namespace Dexal;
  CloseOwnConsole();
  const std::vector<std::filesystem::path> chosen = FilesFromOpenDialog("CSV", "*.csv");
  if (chosen.empty()) return 0;
  const std::filesystem::path* csv = &chosen.front();
  ReportRequest request;
  for (const std::filesystem::path& file : chosen) {
    request.inputs.push_back({file, Utf8FromPath(file.filename()), Utf8FromPath(file.filename())});
  }
  request.madeAt = SourceDateOrNow();
  request.html = std::filesystem::path(*csv).replace_extension(".html");
  for (const std::filesystem::path& file : chosen) {
    if (SameFile(file, *request.html)) {
      ShowMessageBox(kBoxCaption, Utf8FromPath(file) + ": the report would replace it", true);
      return kExitUsage;
    }
  }
  const std::filesystem::path records =
      csv->parent_path() / (csv->stem().native() + PathFromUtf8("-records").native());
  if (AskYesNo(kBoxCaption, "Also write a record of each asset, with a sign-off block, into\n" +
                                Utf8FromPath(records) + "?")) {
    request.perAssetDir = records;
  }
  std::vector<std::string> warnings;
  try {
    warnings = MakeReport(request);
  } catch (const std::exception& e) {
    ShowMessageBox(kBoxCaption, e.what(), true);
    return kExitFailed;
  }
  std::string said = "Report written to\n" + Utf8FromPath(*request.html);
  // A box shows the first conflicts; the rest are marked in the report.
  constexpr std::size_t kWarningsShown = 5;
  for (std::size_t i = 0; i < warnings.size() && i < kWarningsShown; ++i) {
    said += "\nWarning: " + warnings[i];
  }
  if (warnings.size() > kWarningsShown) {
    said += "\nand " + std::to_string(warnings.size() - kWarningsShown) +
            " more conflicts, marked in the report";
  }
  if (request.perAssetDir) said += "\nRecords of each asset in\n" + Utf8FromPath(records);
  if (AskYesNo(kBoxCaption, said + "\n\nOpen the report?") &&
      !OpenWithDefaultProgram(*request.html)) {
    ShowMessageBox(kBoxCaption, Utf8FromPath(*request.html) + ": no program opens it", true);
  }
  return 0;
}

int RunProgram(int argc, char** argv) {
  using namespace Dexal;
  if (argc == 1 && HasDesktopDialogs()) return RunFromDesktop();
  CLI::App app{
      "Makes an HTML report with pulse plots, SVG plots, one flat table and one record per "
      "asset of CSV files that dexal-download or the Dexal CSV Downloader wrote, read as one "
      "record set: a result (tester serial, Asset ID, date, test type) in several files counts "
      "once; the same result with other values is a conflict, kept twice and warned of.",
      "dexal-report"};
  std::vector<std::string> csvs;
  std::string html, plots, table, dialect, perAsset;
  app.add_option("csv", csvs,
                 "the CSV file of a download, or a folder: every *.csv in it and below, in name "
                 "order (any number of them)")
      ->required();
  auto* htmlOption = app.add_option("--html", html,
                                    "HTML report to write (without any option: the first CSV "
                                    "file's or folder's name with .html, beside it)");
  auto* plotsOption = app.add_option("--plots", plots,
                                     "folder for one SVG plot per pulse result (made when "
                                     "missing, but not its parent folders)");
  auto* tableOption = app.add_option("--table", table,
                                     "flat table to write: one row per measurement, RFC 4180 CSV");
  auto* perAssetOption = app.add_option(
      "--per-asset", perAsset,
      "folder for one self-contained record per asset, ASSET.html (the Asset ID made a safe file "
      "name), each with the asset's results, a sign-off block and the CSV file's SHA-256 digest "
      "(made when missing, but not its parent folders)");
  app.add_option("--dialect", dialect,
                 "the table for Excel (byte-order mark), or for Excel "
                 "where ';' separates lists (also decimal commas)")
      ->check(CLI::IsMember({"excel", "excel-semicolon"}))
      ->needs(tableOption);
  app.set_version_flag("--version", "dexal-report " DEXAL_VERSION_TEXT);
  app.footer(
      "Every output is written under a temporary name and moved into place when all are "
      "complete. Each conflict is a line \"warning: FILE:LINE and FILE:LINE: ...\" on "
      "stderr.\nExit status: 0 when every file was written, 1 when a CSV file cannot be "
      "read, a folder holds no CSV file or an output cannot be written (every file is then as it "
      "was), 2 for a usage error "
      "(an output that is the CSV file or another output among them, also an asset's record).");
  if (const std::optional<int> status = ParseCommandLine(app, argc, argv)) return *status;

  ReportRequest request;
  try {
    request.inputs = ReportInputsFrom(csvs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "dexal-report: %s\n", e.what());
    return kExitFailed;
  }
  request.madeAt = SourceDateOrNow();
  if (!htmlOption->empty()) request.html = PathFromUtf8(html);
  if (!plotsOption->empty()) request.plotsDir = PathFromUtf8(plots);
  if (!tableOption->empty()) request.table = PathFromUtf8(table);
  if (!perAssetOption->empty()) request.perAssetDir = PathFromUtf8(perAsset);
  if (!request.html && !request.plotsDir && !request.table && !request.perAssetDir) {
    std::filesystem::path first = PathFromUtf8(csvs.front());
    if (!first.has_filename()) first = first.parent_path();  // "archive/"
    request.html = first.replace_extension(".html");
  }
  const std::vector<std::pair<std::string, std::string>> named = {
      {htmlOption->empty() ? "the HTML report" : "--html", Utf8FromPath(request.html.value_or(""))},
      {"--table", table},
      {"--plots", plots},
      {"--per-asset", perAsset}};
  // Each CSV file against the outputs (the files are one another only once, being counted once).
  std::optional<std::string> error = SameFileError(named);
  for (std::size_t i = 0; i < request.inputs.size() && !error; ++i) {
    std::vector<std::pair<std::string, std::string>> pair = {
        {"the CSV file", Utf8FromPath(request.inputs[i].path)}, {}};
    for (const auto& output : named) {
      pair.back() = output;
      if ((error = SameFileError(pair))) break;
    }
  }
  if (error) {
    std::fprintf(stderr, "dexal-report: %s\n", error->c_str());
    return kExitUsage;
  }
  if (dialect == "excel") request.dialect = TableDialect::Excel;
  if (dialect == "excel-semicolon") request.dialect = TableDialect::ExcelSemicolon;
  try {
    for (const std::string& warning : MakeReport(request)) {
      std::fprintf(stderr, "warning: %s\n", warning.c_str());
    }
  } catch (const RecordIsAnotherFile& e) {
    std::fprintf(stderr, "dexal-report: %s\n", e.what());
    return kExitUsage;
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
