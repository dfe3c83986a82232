#pragma once

#include <span>
#include <string>

#include "report/ReportModel.h"
#include "report/SourceDigest.h"

namespace Dexal {

// The block that ties a page to what it was made from: each source file's name, size and
// SHA-256 digest, the tester's serial and service date, and the program, its version and the
// time that made the page. `madeAt` is that time as text.
std::string TraceabilityHtml(std::span<const SourceFacts> sources, const ReportModel& model,
                             const std::string& madeAt);

// Its rules in the page's style sheet.
extern const char* const kTraceabilityStyle;

}  // namespace Dexal
