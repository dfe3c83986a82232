#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "report/FlatTable.h"

namespace Dexal {

// What to make of one CSV file.
struct ReportRequest {
  std::filesystem::path csv;
  std::string csvName;  // the CSV file as the user named it, for messages
  std::optional<std::filesystem::path> html;
  std::optional<std::filesystem::path> plotsDir;
  std::optional<std::filesystem::path> table;
  TableDialect dialect = TableDialect::Rfc4180;
  std::int64_t madeAt = 0;  // seconds since 1970
  // The folder for one record per asset, made when missing (not its parents).
  std::optional<std::filesystem::path> perAssetDir;
};

// An asset's record that would be the CSV file or another output (its name comes from the file,
// so this shows only once the file is read): a usage error, "the CSV file and --per-asset name
// the same file: records/A.html".
struct RecordIsAnotherFile : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads the CSV file and writes what the request asks for, all or nothing (OutputFiles): on any
// failure, which it throws as a std::runtime_error with the text for the user, every file and
// folder is as it was. The file is read once, for the report and its digest.
void MakeReport(const ReportRequest& request);

// The SVG file name of a result's plot: its position and Asset ID, "03-BME-00412.svg".
std::string PlotFileName(std::size_t position, std::size_t resultCount, const std::string& assetId);

}  // namespace Dexal
