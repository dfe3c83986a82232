#pragma once

#include <string>
#include <vector>

namespace Dexal {

struct ConsolePort {
  std::string name;         // what --port takes
  std::string description;  // the device's own description, when known
  int usbVendor = -1;       // USB ids, -1 when not a USB device or unknown
  int usbProduct = -1;
};

std::vector<ConsolePort> ListConsolePorts();

// One line per port: "NAME  description [VID:PID]".
std::string PortListText(const std::vector<ConsolePort>& ports);

}  // namespace Dexal
