#include "cli/PortListText.h"

#include <cstdio>

#include "platform/WideText.h"

namespace Dexal {

std::string PortListText(const std::vector<DexalPortInfo>& ports) {
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
    text += "\n";
  }
  return text;
}

}  // namespace Dexal
