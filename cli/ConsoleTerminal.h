#pragma once

#include <cstdint>

#include "platform/Console.h"
#include "platform/WideText.h"

namespace Dexal {

// The time of making of generated files: SOURCE_DATE_EPOCH when set (reproducible builds),
// otherwise now; seconds since 1970.
std::int64_t SourceDateOrNow();

}  // namespace Dexal
