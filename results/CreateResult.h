#pragma once

#include <cstdint>
#include <memory>

#include "link/DexalCmd.h"
#include "results/DexalResult.h"

namespace Dexal {

// The test-type code of the first tag 6 in the criteria segment; 0 when there is none.
std::uint8_t TestTypeFromVector(const DexalCmdResultData* resultData);

// A new, empty record of the class the test type selects, or null for an unknown type.
std::unique_ptr<DexalResult> CreateResult(const DexalCmdResultData* resultData);

}  // namespace Dexal
