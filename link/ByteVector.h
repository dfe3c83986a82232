#pragma once

#include <cstdint>
#include <vector>

namespace Dexal {

using ByteVector = std::vector<std::uint8_t>;

}  // namespace Dexal
