#include "report/Traceability.h"

#include "DexalVersion.h"
#include "report/ReportText.h"

namespace Dexal {

const char* const kTraceabilityStyle = R"(
.trace { margin-top: 16px; break-inside: avoid; page-break-inside: avoid; font-size: 9pt; }
.trace h2 { font-size: 10.5pt; margin: 0 0 4px; }
.trace .sha256 { font-family: "DejaVu Sans Mono", monospace; word-break: break-all; }
)";

namespace {

std::string SizeText(std::uint64_t size) {
  return std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

}  // namespace

std::string TraceabilityHtml(std::span<const SourceFacts> sources, const ReportModel& model,
                             const std::string& madeAt) {
  const auto row = [](const char* name, const std::string& text, const char* cls = nullptr) {
    return std::string("<tr><th>") + name + "</th><td" +
           (cls ? std::string(" class=\"") + cls + "\"" : std::string()) + ">" + HtmlEscaped(text) +
           "</td></tr>\n";
  };
  std::string html = "<section class=\"trace\">\n<h2>Traceability</h2>\n<table>\n";
  if (model.sourceCount == 1) {
    const SourceFacts& source = sources.front();
    html += row("Source file", source.fileName) + row("Size", SizeText(source.size)) +
            row("SHA-256", source.sha256, "sha256") + row("Tester serial", model.testerSerial) +
            row("Service date", model.serviceDate);
  } else {
    html +=
        "<tr><th>Source file</th><th>Size</th><th>Tester serial</th><th>Service date</th>"
        "<th>SHA-256</th></tr>\n";
    for (const SourceFacts& s : sources) {
      html += "<tr><td>" + HtmlEscaped(s.fileName) + "</td><td>" + SizeText(s.size) + "</td><td>" +
              HtmlEscaped(s.testerSerial) + "</td><td>" + HtmlEscaped(s.serviceDate) +
              "</td><td class=\"sha256\">" + s.sha256 + "</td></tr>\n";
    }
    html += "</table>\n<table>\n";
  }
  return html + row("Made by", "dexal-report " DEXAL_VERSION_TEXT ", Dexal CSV downloader") +
         row("Made", madeAt) + "</table>\n</section>\n";
}

}  // namespace Dexal
