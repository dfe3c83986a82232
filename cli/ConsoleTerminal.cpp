#include "cli/ConsoleTerminal.h"

#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace Dexal {

std::int64_t SourceDateOrNow() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
    try {
      return std::stoll(epoch);
    } catch (const std::exception&) {
      // Not a number: made now, as without it.
    }
  }
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace Dexal
