#pragma once

#include <string>
#include <vector>

#include "platform/PortDiscovery.h"

namespace Dexal {

// What --list-ports prints: one line per port, "NAME  description [VID:PID]", the description
// and the USB ids where known.
std::string PortListText(const std::vector<DexalPortInfo>& ports);

}  // namespace Dexal
