#pragma once

#include <cstdint>

namespace Dexal {

// The time of making of generated files: SOURCE_DATE_EPOCH when set (reproducible builds),
// otherwise now; seconds since 1970.
std::int64_t SourceDateOrNow();

}  // namespace Dexal
