#pragma once

#include <string>
#include <vector>

#include "report/ReportModel.h"
#include "report/SourceDigest.h"

namespace Dexal {

// The file names of the assets' records, in the order given: each Asset ID made a name that
// every system takes (SafeFileName; no leading dot; no device name that Windows reserves, such
// as CON or COM1, even with an extension), with ".html"; a name that an earlier asset already
// has, regardless of case, is numbered "-2", "-3" and on until it is free.
std::vector<std::string> RecordFileNames(const std::vector<std::string>& assetIds);

// An asset's record, a page of its own for the asset's work order: the tester, the asset's
// summary line, its cards and plots, its sign-off block and the traceability block of the files
// its results come from.
std::string AssetRecordHtml(const ReportModel& model, const ReportAsset& asset,
                            const std::vector<SourceFacts>& sources, const std::string& madeAt);

}  // namespace Dexal
