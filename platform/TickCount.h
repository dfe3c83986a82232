#pragma once

#include <cstdint>

namespace Dexal {

// A millisecond counter that wraps at 2^32, like GetTickCount.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual std::uint32_t Ticks() = 0;
};

TickSource& SystemTicks();

}  // namespace Dexal
