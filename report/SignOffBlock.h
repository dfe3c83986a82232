#pragma once

#include <string>

namespace Dexal {

// Where the person who tested an asset signs its results off: tested by, date and signature as
// empty boxes, to fill in on paper, or in the browser before printing. Ends each asset's section
// of the report and each asset's record.
std::string SignOffHtml(const std::string& assetId);

// Its rules in the page's style sheet.
extern const char* const kSignOffStyle;

}  // namespace Dexal
