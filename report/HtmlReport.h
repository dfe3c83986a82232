#pragma once

#include <string>

#include "report/ReportModel.h"

namespace Dexal {

// The page: heading, summary of the assets, one card per result grouped under its asset.
// `sourceName` is the CSV file's name, `madeAt` the time of making as text.
std::string HtmlReportText(const ReportModel& model, const std::string& sourceName,
                           const std::string& madeAt);

}  // namespace Dexal
