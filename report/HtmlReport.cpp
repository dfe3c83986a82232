#include "report/HtmlReport.h"

#include <algorithm>

#include "report/AssetHistory.h"
#include "report/ReportText.h"
#include "report/SignOffBlock.h"
#include "report/Traceability.h"

namespace Dexal {
namespace {

const char* const kStyle = R"(
@page { size: A4; margin: 12mm;
        @top-left { font-size: 8pt; color: #555; vertical-align: bottom; }
        @bottom-right { font-size: 8pt; color: #555; vertical-align: top; } }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10pt; color: #222;
       max-width: 186mm; margin: 0 auto; padding: 8px; }
h1 { font-size: 16pt; margin: 0 0 6px; }
h2 { font-size: 12pt; margin: 18px 0 4px; break-after: avoid; page-break-after: avoid; }
h2 small { font-weight: normal; color: #555; }
h3 { font-size: 10.5pt; margin: 0 0 4px; }
header p { margin: 2px 0; }
footer { margin-top: 16px; color: #777; font-size: 9pt; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 2px 8px 2px 0; border-bottom: 1px solid #e0e0e0;
         vertical-align: top; }
td.num { text-align: right; }
.summary { break-inside: avoid; page-break-inside: avoid; }
.card { border: 1px solid #bbb; border-radius: 4px; padding: 8px 10px; margin: 8px 0;
        break-inside: avoid; page-break-inside: avoid; }
.card .when { font-weight: normal; color: #555; }
.card svg { display: block; width: 100%; height: auto; max-width: 680px; margin-top: 6px; }
.values { width: 100%; }
.status-pass { color: #176b2c; font-weight: bold; }
.status-fail { color: #b00000; font-weight: bold; }
.status-other { color: #8a5a00; font-weight: bold; }
.nograph { color: #555; font-style: italic; margin: 6px 0 0; }
.unit { color: #444; }
@media print { .card svg { max-width: 150mm; } }
.cardend { color: #888; font-size: 8pt; text-align: right; margin: 2px 0 0; }
.conflict { color: #b00000; margin: 4px 0; }
td.drift { color: #b00000; font-weight: bold; }
)";

std::string StatusSpan(const DexalVerdict& status) {
  const char* kind = status.kind == DexalVerdict::Kind::Pass   ? "pass"
                     : status.kind == DexalVerdict::Kind::Fail ? "fail"
                                                               : "other";
  return std::string("<span class=\"status-") + kind + "\">" + HtmlEscaped(status.text) + "</span>";
}

std::string Cell(const std::string& text, const char* cls = nullptr) {
  return std::string(cls ? std::string("<td class=\"") + cls + "\">" : "<td>") + HtmlEscaped(text) +
         "</td>";
}

// The unit marked, so that it can be told from the value wherever the page is read.
void AppendValueCell(std::string& html, const ReportMeasurement& m) {
  html += "<td>";
  AppendHtmlEscapedLines(html, m.value);
  if (!m.unit().empty()) {
    html += "&nbsp;<span class=\"unit\">";
    AppendHtmlEscaped(html, m.unit());
    html += "</span>";
  }
  html += "</td>";
}

// Two measurements a row, to keep a card short enough for a page.
void AppendMeasurementsTable(std::string& html, const ReportResult& r) {
  html += "<table class=\"values\">\n";
  for (std::size_t i = 0; i < r.measurements.size(); i += 2) {
    html += "<tr>";
    for (std::size_t j = i; j < i + 2; ++j) {
      if (j < r.measurements.size()) {
        html += "<th>";
        AppendHtmlEscaped(html, r.measurements[j].name());
        html += "</th>";
        AppendValueCell(html, r.measurements[j]);
      } else {
        html += "<th></th><td></td>";
      }
    }
    html += "</tr>\n";
  }
  html += "</table>\n";
}

void AppendCard(std::string& html, const ReportResult& r, std::size_t resultCount,
                bool manySources) {
  const std::string from =
      manySources ? " &middot; " + HtmlEscaped(r.source + ":" + std::to_string(r.line)) : "";
  html += "<article class=\"card\" id=\"result-" + std::to_string(r.position) + "\">\n<h3>" +
          StatusSpan(r.status) + " " + HtmlEscaped(r.testType) + " <span class=\"when\">" +
          HtmlEscaped(r.date) + " &middot; result " + std::to_string(r.position) + from +
          "</span></h3>\n";
  for (const std::string& other : r.conflicts) {
    html += "<p class=\"conflict\">Conflicts with " + HtmlEscaped(other) +
            ": the same tester serial, Asset ID, date and test type with other values.</p>\n";
  }
  if (!r.comment.empty()) html += "<p>Comment: " + HtmlEscapedLines(r.comment) + "</p>\n";
  AppendMeasurementsTable(html, r);
  if (!r.plot.empty()) {
    html += r.plot;
  } else if (r.carriesPulse) {
    html += "<p class=\"nograph\">This file has no graph points for this result.</p>\n";
  }
  // Its last line, so that a print shows where a card ends.
  html += "<p class=\"cardend\">Result " + std::to_string(r.position) + " of " +
          std::to_string(resultCount) + ", " + HtmlEscaped(r.assetId) + "</p>\n</article>\n";
}

}  // namespace

bool AnyHistory(std::span<const ReportAsset> assets) {
  return std::any_of(assets.begin(), assets.end(), [](const ReportAsset& a) { return a.days > 1; });
}

std::string AssetSummaryHtml(std::span<const ReportAsset> assets) {
  const bool history = AnyHistory(assets);
  std::string html =
      "<section class=\"summary\">\n<h2>Assets tested</h2>\n<table>\n<tr><th>Asset ID</th>"
      "<th>Make</th><th>Model</th><th>Serial</th>";
  html += history ? "<th>First date</th><th>Last date</th><th>Results</th><th>Status</th>"
                    "<th>Last status</th><th>Drift</th></tr>\n"
                  : "<th>Results</th><th>Status</th></tr>\n";
  for (const ReportAsset& a : assets) {
    html += "<tr>" + Cell(a.assetId) + Cell(a.assetMake) + Cell(a.assetModel) + Cell(a.assetSerial);
    if (history) html += Cell(a.firstDate) + Cell(a.lastDate);
    html += Cell(std::to_string(a.results.size()), "num") + "<td>" + StatusSpan(a.status) + "</td>";
    if (history) {
      html += "<td>" + StatusSpan(a.lastStatus) + "</td>" +
              Cell(a.drift, a.drift.empty() ? nullptr : "drift");
    }
    html += "</tr>\n";
  }
  return html + "</table>\n</section>\n";
}

namespace {

// Whose record a printed page is, and where it stands, in the page's margins.
std::string PrintedOnEachPage(const ReportModel& model, const std::string& madeAt) {
  return "<style>\n@page {\n  @top-left { content: " +
         CssString("Tester " + model.testerSerial + ", report made " + madeAt) +
         "; }\n  @bottom-right { content: \"page \" counter(page) \" of \" counter(pages); }\n}\n"
         "</style>\n";
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string HtmlPageStart(const std::string& title, const ReportModel& model,
                          const std::string& madeAt, std::size_t plotBytes) {
  std::string html;
  html.reserve(plotBytes + 16384);
  html += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
          HtmlEscaped(title) + "</title>\n<style>" + kStyle + kSignOffStyle + kTraceabilityStyle +
          kHistoryStyle + "</style>\n" + PrintedOnEachPage(model, madeAt) + "</head>\n<body>\n";
  return html;
}

std::string AssetSectionHtml(const ReportAsset& a, const std::vector<const ReportResult*>& results,
                             std::size_t resultCount, bool manySources) {
  std::string html = "<section class=\"asset\">\n<h2>" + HtmlEscaped(a.assetId) + " <small>" +
                     HtmlEscaped(a.assetMake) + " " + HtmlEscaped(a.assetModel) + ", serial " +
                     HtmlEscaped(a.assetSerial) + "</small></h2>\n" + AssetHistoryHtml(a, results);
  for (const ReportResult* r : results) AppendCard(html, *r, resultCount, manySources);
  return html + SignOffHtml(a.assetId) + "</section>\n";
}

std::string SourcesHeader(const ReportModel& model, std::span<const SourceFacts> sources,
                          const char* made, const std::string& madeAt) {
  if (model.sourceCount == 1) {
    return "<p>Tester <b>" + HtmlEscaped(model.testerSerial) + "</b>, service date " +
           HtmlEscaped(model.serviceDate) + "</p>\n<p>From " + HtmlEscaped(sources[0].fileName) +
           ", " + made + " made " + HtmlEscaped(madeAt) + "</p>\n";
  }
  return "<p>Tester <b>" + HtmlEscaped(model.testerSerial) + "</b></p>\n<p>From " +
         Plural(sources.size(), "file", "files") + " (see Traceability), " + made + " made " +
         HtmlEscaped(madeAt) + "</p>\n";
}

namespace {

// The page up to its first asset's section.
std::string PageHead(const ReportModel& model, std::span<const SourceFacts> sources,
                     const std::string& madeAt) {
  std::string html =
      HtmlPageStart("Test results of tester " + model.testerSerial, model, madeAt, 0);
  html += "<header>\n<h1>Test results</h1>\n";
  html += SourcesHeader(model, sources, "report", madeAt);
  html += "<p class=\"counts\">" + Plural(model.results.size(), "result", "results") + ": " +
          std::to_string(model.passes) + " passed, " + std::to_string(model.fails) + " failed, " +
          std::to_string(model.others) + " with another status</p>\n</header>\n";
  return html + AssetSummaryHtml(model.assets);
}

}  // namespace

NextBytes HtmlReportPieces(const ReportModel& model, std::span<const SourceFacts> sources,
                           const std::string& madeAt) {
  return [&model, sources, &madeAt, part = std::size_t{0}](std::string& out) mutable {
    const std::size_t assets = model.assets.size();
    if (part == 0) {
      out += PageHead(model, sources, madeAt);
    } else if (part <= assets) {
      const ReportAsset& asset = model.assets[part - 1];
      out += AssetSectionHtml(asset, ResultsOf(model, asset).list, model.results.size(),
                              sources.size() > 1);
    } else if (part == assets + 1) {
      out += TraceabilityHtml(sources, model, madeAt) + "</body>\n</html>\n";
    } else {
      return false;
    }
    ++part;
    return true;
  };
}

}  // namespace Dexal
