#include "report/SignOffBlock.h"

#include "report/ReportText.h"

namespace Dexal {

const char* const kSignOffStyle = R"(
.signoff { border: 1px solid #888; border-radius: 4px; padding: 6px 10px; margin: 10px 0 4px;
           break-inside: avoid; page-break-inside: avoid; }
.signoff h3 { margin-bottom: 6px; }
.signoff .fields { display: flex; gap: 12px; }
.signoff label { flex: 1; font-size: 9pt; color: #444; }
.signoff label.signature { flex: 2; }
.signoff input, .signoff .box { display: block; box-sizing: border-box; width: 100%;
                                height: 9mm; margin-top: 2px; border: 1px solid #444;
                                border-radius: 0; background: #fff; font: inherit; color: #000; }
.signoff .signature .box { height: 16mm; }
)";

std::string SignOffHtml(const std::string& assetId) {
  return "<section class=\"signoff\">\n<h3>Sign-off of " + HtmlEscaped(assetId) +
         "</h3>\n<div class=\"fields\">\n"
         "<label>Tested by<input type=\"text\" name=\"tested-by\"></label>\n"
         "<label>Date<input type=\"text\" name=\"date\"></label>\n"
         "<label class=\"signature\">Signature<span class=\"box\"></span></label>\n"
         "</div>\n</section>\n";
}

}  // namespace Dexal
