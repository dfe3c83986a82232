#pragma once

#include <string>

#include "report/ReportModel.h"

namespace Dexal {

// The days an asset was tested on: its results' dates without the time of day.
std::size_t TestDays(const std::vector<const ReportResult*>& results);

// The drift note of an asset, empty when there is none: its latest charge time at or over its
// limit, or risen by a quarter or more over its first recorded one.
std::string DriftNote(const std::vector<const ReportResult*>& results);

// An asset's history, for an asset tested on more than one day (else empty): its results by
// date with the key measurements and the file of each, one trend plot (inline SVG) per key
// measurement recorded on two days or more with its limit line, the drift note with its rule,
// and the limits with their source where one applies to the asset's measurements. `asset` gives
// its days and drift note, `inFileOrder` its results.
std::string AssetHistoryHtml(const ReportAsset& asset,
                             const std::vector<const ReportResult*>& inFileOrder);

// Its rules in the page's style sheet.
extern const char* const kHistoryStyle;

}  // namespace Dexal
