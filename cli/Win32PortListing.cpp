#include "cli/PortListing.h"
#include "platform/WideText.h"
#include "shell/Win32PortEnumeration.h"

namespace Dexal {

std::vector<ConsolePort> ListConsolePorts() {
  std::vector<ConsolePort> listed;
  for (const DexalPortInfo& port : ListSerialPorts()) {
    ConsolePort console;
    console.name = Utf8FromWideText(port.portName);
    console.description = Utf8FromWideText(port.friendlyName);
    if (port.usbVendor != 0 || port.usbProduct != 0) {
      console.usbVendor = static_cast<int>(port.usbVendor);
      console.usbProduct = static_cast<int>(port.usbProduct);
    }
    listed.push_back(std::move(console));
  }
  return listed;
}

}  // namespace Dexal
