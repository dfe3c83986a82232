#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "report/FlatTable.h"
#include "report/ResultStore.h"

namespace Dexal {

// A CSV file to read: `name` as the user would name it, for messages; `shown` as the report
// shows it (a file's own name, or its path below the folder given).
struct ReportInput {
  std::filesystem::path path;
  std::string name;
  std::string shown;
};

// The files that the command line's files and folders name: a file as it is; a folder, every
// *.csv in it and below, in name order. A file named twice, also through a folder or a link,
// counts once. A folder with no CSV file is a std::runtime_error "DIR: no CSV file in this
// folder or below".
std::vector<ReportInput> ReportInputsFrom(const std::vector<std::string>& arguments);

// What to make of one or more CSV files, read as one record set.
struct ReportRequest {
  std::vector<ReportInput> inputs;
  std::optional<std::filesystem::path> html;
  std::optional<std::filesystem::path> plotsDir;
  std::optional<std::filesystem::path> table;
  TableDialect dialect = TableDialect::Rfc4180;
  std::int64_t madeAt = 0;  // seconds since 1970
  // The folder for one record per asset, made when missing (not its parents).
  std::optional<std::filesystem::path> perAssetDir;
  // The memory for the results kept; those beyond are put aside in a temporary file.
  std::size_t resultMemory = ResultStore::kDefaultBudget;
};

// An asset's record that would be the CSV file or another output (its name comes from the file,
// so this shows only once the file is read): a usage error, "the CSV file and --per-asset name
// the same file: records/A.html".
struct RecordIsAnotherFile : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the CSV files and writes what the request asks for, all or nothing (OutputFiles): on any
// failure, which it throws as a std::runtime_error with the text for the user, every file and
// folder is as it was. Each file is read once, for the report and its digest. Gives the
// warnings, each "FILE:LINE and FILE:LINE: ...", of results that conflict.
std::vector<std::string> MakeReport(const ReportRequest& request);

// The SVG file name of a result's plot: its position and Asset ID, "03-BME-00412.svg".
std::string PlotFileName(std::size_t position, std::size_t resultCount, const std::string& assetId);

}  // namespace Dexal
