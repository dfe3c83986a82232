#include "report/AssetRecords.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "report/HtmlReport.h"
#include "report/ReportText.h"
#include "report/Traceability.h"

namespace Dexal {
namespace {

// Windows opens a device for these names, whatever follows the first dot.
bool IsReservedOnWindows(const std::string& name) {
  static const std::array<std::string_view, 4> kDevices = {"con", "prn", "aux", "nul"};
  const std::string stem = AsciiLower(name.substr(0, name.find('.')));
  if (std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end()) return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
         stem[3] >= '0' && stem[3] <= '9';
}

std::string RecordStem(const std::string& assetId) {
  std::string stem = SafeFileName(assetId);
  // A leading dot hides the file (and "." and ".." are folders).
  for (char& c : stem) {
    if (c != '.') break;
    c = '_';
  }
  if (stem.empty() || IsReservedOnWindows(stem)) stem.insert(0, "_");
  return stem;
}

}  // namespace

std::vector<std::string> RecordFileNames(const std::vector<std::string>& assetIds) {
  std::vector<std::string> names;
  std::set<std::string> taken;
  for (const std::string& id : assetIds) {
    const std::string stem = RecordStem(id);
    std::string name = stem + ".html";
    for (int n = 2; !taken.insert(AsciiLower(name)).second; ++n) {
      name = stem + "-" + std::to_string(n) + ".html";
    }
    names.push_back(name);
  }
  return names;
}

std::string AssetRecordHtml(const ReportModel& model, const ReportAsset& asset,
                            const std::vector<SourceFacts>& sources, const std::string& madeAt) {
  const AssetResults results = ResultsOf(model, asset);
  std::size_t plotBytes = 0;
  for (const ReportResult* r : results.list) plotBytes += r->plot.size();
  std::string html =
      HtmlPageStart("Test record of " + asset.assetId + ", tester " + model.testerSerial, model,
                    madeAt, plotBytes + 4096 * asset.results.size());
  html += "<header>\n<h1>Test record of " + HtmlEscaped(asset.assetId) + "</h1>\n";
  // The files that the asset's results come from.
  std::vector<SourceFacts> own;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (std::any_of(results.list.begin(), results.list.end(),
                    [i](const ReportResult* r) { return r->sourceIndex == i; })) {
      own.push_back(sources[i]);
    }
  }
  html += SourcesHeader(model, own, "record", madeAt) + "</header>\n";
  html += AssetSummaryHtml({&asset, 1});
  html += AssetSectionHtml(asset, results.list, model.results.size(), sources.size() > 1);
  html += TraceabilityHtml(own, model, madeAt);
  return html + "</body>\n</html>\n";
}

}  // namespace Dexal
