#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "platform/FileSystem.h"
#include "report/ReportModel.h"
#include "report/SourceDigest.h"

namespace Dexal {

// The page: heading, summary of the assets, one card per result grouped under its asset, each
// asset's section ending with its sign-off block, and the traceability block. `madeAt` is the
// time of making as text. Made an asset's section at a time as it is written (OutputFiles); what
// it is given must outlive it.
NextBytes HtmlReportPieces(const ReportModel& model, std::span<const SourceFacts> sources,
                           const std::string& madeAt);

// The parts that each asset's record shares with the page.
// Everything up to <body>, the tester and `madeAt` in every printed page's margin, with room
// reserved for `plotBytes` more.
std::string HtmlPageStart(const std::string& title, const ReportModel& model,
                          const std::string& madeAt, std::size_t plotBytes);
// The table of the assets tested: make, model, serial, count of results, overall status; where
// an asset was tested on more than one day, also its first and last date, the status of its
// latest result and its drift note.
std::string AssetSummaryHtml(std::span<const ReportAsset> assets);
// An asset's heading, its history, its results' cards and its sign-off block. `resultCount`: the
// results of the report; with `manySources`, each card names the file and line it was read from.
std::string AssetSectionHtml(const ReportAsset& asset,
                             const std::vector<const ReportResult*>& results,
                             std::size_t resultCount, bool manySources);
// The tester and where the page comes from: one file's name and service date, or the count of
// files; `made` says what was made ("report", "record") at `madeAt`.
std::string SourcesHeader(const ReportModel& model, std::span<const SourceFacts> sources,
                          const char* made, const std::string& madeAt);

}  // namespace Dexal
