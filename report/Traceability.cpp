#include "report/Traceability.h"

#include "DexalVersion.h"
#include "report/ReportText.h"

namespace Dexal {

const char* const kTraceabilityStyle = R"(
.trace { margin-top: 16px; break-inside: avoid; page-break-inside: avoid; font-size: 9pt; }
.trace h2 { font-size: 10.5pt; margin: 0 0 4px; }
.trace .sha256 { font-family: "DejaVu Sans Mono", monospace; word-break: break-all; }
)";

std::string TraceabilityHtml(const SourceFacts& source, const ReportModel& model,
                             const std::string& madeAt) {
  const auto row = [](const char* name, const std::string& text, const char* cls = nullptr) {
    return std::string("<tr><th>") + name + "</th><td" +
           (cls ? std::string(" class=\"") + cls + "\"" : std::string()) + ">" + HtmlEscaped(text) +
           "</td></tr>\n";
  };
  return "<section class=\"trace\">\n<h2>Traceability</h2>\n<table>\n" +
         row("Source file", source.fileName) +
         row("Size", std::to_string(source.size) + (source.size == 1 ? " byte" : " bytes")) +
         row("SHA-256", source.sha256, "sha256") + row("Tester serial", model.testerSerial) +
         row("Service date", model.serviceDate) +
         row("Made by", "dexal-report " DEXAL_VERSION_TEXT ", Dexal CSV downloader") +
         row("Made", madeAt) + "</table>\n</section>\n";
}

}  // namespace Dexal
