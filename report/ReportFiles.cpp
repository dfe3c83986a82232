#include "report/ReportFiles.h"

#include <fstream>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/WideText.h"
#include "report/HtmlReport.h"
#include "report/ReportModel.h"
#include "report/ReportText.h"

namespace Dexal {
namespace {

struct OutputFile {
  std::filesystem::path path;
  std::string bytes;
};

void WriteAll(const std::vector<OutputFile>& files) {
  std::vector<std::filesystem::path> written;
  for (const OutputFile& file : files) {
    std::ofstream out(file.path, std::ios::binary | std::ios::trunc);
    if (out) written.push_back(file.path);
    if (out) out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
    if (out) out.close();
    if (!out) {
      std::error_code ignored;
      for (const auto& path : written) std::filesystem::remove(path, ignored);
      throw std::runtime_error(Utf8FromPath(file.path) + ": cannot be written");
    }
  }
}

}  // namespace

std::string PlotFileName(std::size_t position, std::size_t resultCount,
                         const std::string& assetId) {
  std::string number = std::to_string(position);
  const std::size_t digits = std::to_string(resultCount).size();
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return number + "-" + SafeFileName(assetId) + ".svg";
}

void MakeReport(const ReportRequest& request) {
  const ReportModel model =
      ReportModelFromCsvFile(request.csv, request.csvName, request.plotsDir.has_value());
  std::vector<OutputFile> outputs;
  if (request.html) {
    outputs.push_back({*request.html, HtmlReportText(model, Utf8FromPath(request.csv.filename()),
                                                     UtcTextFromSeconds(request.madeAt))});
  }
  if (request.table) {
    outputs.push_back({*request.table, FlatTableText(model, request.dialect)});
  }
  if (request.plotsDir) {
    for (const ReportResult& r : model.results) {
      if (r.plotFile.empty()) continue;
      outputs.push_back(
          {*request.plotsDir / PlotFileName(r.position, model.results.size(), r.assetId),
           r.plotFile});
    }
    std::error_code error;
    std::filesystem::create_directories(*request.plotsDir, error);
    if (error) {
      throw std::runtime_error(Utf8FromPath(*request.plotsDir) + ": cannot make the folder (" +
                               error.message() + ")");
    }
  }
  WriteAll(outputs);
}

}  // namespace Dexal
