#include "report/ReportFiles.h"

#include "platform/WideText.h"
#include "report/HtmlReport.h"
#include "report/OutputFiles.h"
#include "report/ReportModel.h"
#include "report/ReportText.h"

namespace Dexal {

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
  OutputFiles outputs;
  if (request.html) {
    outputs.Add(*request.html, HtmlReportText(model, Utf8FromPath(request.csv.filename()),
                                              UtcTextFromSeconds(request.madeAt)));
  }
  if (request.table) outputs.Add(*request.table, FlatTableText(model, request.dialect));
  if (request.plotsDir) {
    outputs.AddFolder(*request.plotsDir);
    for (const ReportResult& r : model.results) {
      if (r.plotFile.empty()) continue;
      outputs.Add(*request.plotsDir / PlotFileName(r.position, model.results.size(), r.assetId),
                  r.plotFile);
    }
  }
  outputs.WriteAll();
}

}  // namespace Dexal
