#include <cstdio>

#include "cli/PortListing.h"

namespace Dexal {

std::string PortListText(const std::vector<ConsolePort>& ports) {
  if (ports.empty()) return "No serial ports found.\n";
  std::string text;
  for (const ConsolePort& port : ports) {
    text += port.name;
    if (!port.description.empty()) text += "  " + port.description;
    if (port.usbVendor >= 0 && port.usbProduct >= 0) {
      char ids[32];
      std::snprintf(ids, sizeof ids, " [%04X:%04X]", static_cast<unsigned>(port.usbVendor),
                    static_cast<unsigned>(port.usbProduct));
      text += ids;
    }
    text += "\n";
  }
  return text;
}

}  // namespace Dexal
