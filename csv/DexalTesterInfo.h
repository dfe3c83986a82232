#pragma once

#include <string>

#include "platform/CalendarTime.h"

namespace Dexal {

// Identity of the connected tester, read once at the start of a download.
struct DexalTesterInfo {
  std::string serialNumber;
  CalendarTime serviceDate = -1;
  std::string firmwareVersion;
};

}  // namespace Dexal
