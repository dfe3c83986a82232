#pragma once

#include <string>
#include <vector>

namespace Dexal::testing {

// The result sections of a downloaded CSV file, each from its "Asset ID," header line up to
// and with its empty line.
std::vector<std::string> CsvSections(const std::string& csv);

}  // namespace Dexal::testing
