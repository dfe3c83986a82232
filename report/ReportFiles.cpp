#include "report/ReportFiles.h"

#include "platform/FileSystem.h"
#include "platform/WideText.h"
#include "report/AssetRecords.h"
#include "report/HtmlReport.h"
#include "report/OutputFiles.h"
#include "report/ReportModel.h"
#include "report/ReportText.h"
#include "report/SourceDigest.h"

namespace Dexal {

std::string PlotFileName(std::size_t position, std::size_t resultCount,
                         const std::string& assetId) {
  std::string number = std::to_string(position);
  const std::size_t digits = std::to_string(resultCount).size();
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return number + "-" + SafeFileName(assetId) + ".svg";
}

namespace {

// Each asset's record in the request's folder, refused when it would be another file of the run.
void AddRecords(const ReportRequest& request, const ReportModel& model, const SourceFacts& source,
                const std::string& madeAt, OutputFiles& outputs) {
  std::vector<std::string> ids;
  for (const ReportAsset& a : model.assets) ids.push_back(a.assetId);
  const std::vector<std::string> names = RecordFileNames(ids);
  outputs.AddFolder(*request.perAssetDir);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::filesystem::path record = *request.perAssetDir / names[i];
    for (const auto& [other, what] :
         {std::pair{std::optional(request.csv), "the CSV file"},
          std::pair{request.html, "the HTML report"}, std::pair{request.table, "--table"}}) {
      if (other && SameFile(*other, record)) {
        throw RecordIsAnotherFile(std::string(what) +
                                  " and --per-asset name the same file: " + Utf8FromPath(record));
      }
    }
    outputs.Add(record, AssetRecordHtml(model, model.assets[i], source, madeAt));
  }
}

}  // namespace

void MakeReport(const ReportRequest& request) {
  auto digesting = std::make_unique<DigestingSource>(
      std::make_unique<CsvFileSource>(request.csv, request.csvName));
  DigestingSource& source = *digesting;
  DexalCSVreader reader(std::move(digesting), request.csvName, DexalCSVreader::kBlockBytes);
  const ReportModel model = ReportModelFromReader(reader, request.plotsDir.has_value());
  const SourceFacts facts = source.Finish(Utf8FromPath(request.csv.filename()));
  const std::string madeAt = UtcTextFromSeconds(request.madeAt);
  OutputFiles outputs;
  if (request.html) outputs.Add(*request.html, HtmlReportText(model, facts, madeAt));
  if (request.table) outputs.Add(*request.table, FlatTableText(model, request.dialect));
  if (request.plotsDir) {
    outputs.AddFolder(*request.plotsDir);
    for (const ReportResult& r : model.results) {
      if (r.plotFile.empty()) continue;
      outputs.Add(*request.plotsDir / PlotFileName(r.position, model.results.size(), r.assetId),
                  r.plotFile);
    }
  }
  if (request.perAssetDir) AddRecords(request, model, facts, madeAt, outputs);
  outputs.WriteAll();
}

}  // namespace Dexal
