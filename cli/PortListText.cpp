#include "cli/PortListText.h"

#include <cstdio>

#include "platform/WideText.h"

namespace Dexal {

namespace {

// Every command waits for its reply's last packet: above this, the timer costs a download a
// good part of its wire time (docs/performance.md).
constexpr unsigned kSlowLatencyTimerMs = 2;

}  // namespace

std::string PortListText(const std::vector<DexalPortInfo>& ports, bool hintToLower) {
  if (ports.empty()) return "No serial ports found.\n";
  std::string text;
  for (const DexalPortInfo& port : ports) {
    text += Utf8FromWideText(port.portName);
    if (!port.friendlyName.empty()) text += "  " + Utf8FromWideText(port.friendlyName);
    if (port.usbVendor != 0 || port.usbProduct != 0) {
      char ids[32];
      std::snprintf(ids, sizeof ids, " [%04X:%04X]", port.usbVendor, port.usbProduct);
      text += ids;
    }
    if (port.latencyTimerMs) {
      text += "  latency timer " + std::to_string(*port.latencyTimerMs) + " ms";
    }
    text += "\n";
    if (hintToLower && port.latencyTimerMs.value_or(0) > kSlowLatencyTimerMs) {
      text +=
          "hint: the adapter holds the end of every reply for its latency timer; lower it to 1 ms "
          "in Device Manager: the port's Properties > Port Settings > Advanced > Latency Timer "
          "(msec); or, as an administrator, set the registry value LatencyTimer in the port's "
          "Device Parameters key\n";
    }
  }
  return text;
}

}  // namespace Dexal
