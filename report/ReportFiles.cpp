#include "report/ReportFiles.h"

#include "csv/DexalCSVreader.h"
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
  const DexalCsvFile file = ReadCsvFile(request.csv, request.csvName);
  const ReportModel model = ReportModelFromCsv(file);
  OutputFiles outputs;
  if (request.html) {
    outputs.Add(*request.html, HtmlReportText(model, Utf8FromPath(request.csv.filename()),
                                              UtcTextFromSeconds(request.madeAt)));
  }
  if (request.table) outputs.Add(*request.table, FlatTableText(model, request.dialect));
  if (request.plotsDir) {
    outputs.AddFolder(*request.plotsDir);
    for (const ReportResult& r : model.results) {
      if (r.section->points.empty()) continue;
      outputs.Add(*request.plotsDir / PlotFileName(r.position, model.results.size(), r.assetId),
                  PulsePlotSvg(*r.section, PlotTextOf(r), true));
    }
  }
  outputs.WriteAll();
}

}  // namespace Dexal
