#pragma once

#include <string>
#include <vector>

#include "platform/PortDiscovery.h"

namespace Dexal {

// Only Windows leaves a slow adapter to its user: on Linux the download itself asks the driver
// for low-latency mode (platform/PosixSerialPort.cpp).
#ifdef _WIN32
inline constexpr bool kHintToLowerLatencyTimers = true;
#else
inline constexpr bool kHintToLowerLatencyTimers = false;
#endif

// What --list-ports prints: one line per port, "NAME  description [VID:PID]  latency timer N ms",
// the description, the USB ids and the adapter's latency timer where known; with `hintToLower`,
// a timer above 2 ms is followed by a line that says how to lower it.
std::string PortListText(const std::vector<DexalPortInfo>& ports,
                         bool hintToLower = kHintToLowerLatencyTimers);

}  // namespace Dexal
