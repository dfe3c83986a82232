#pragma once

#include <string>
#include <vector>

namespace Dexal {

// One serial port found. The dialog uses only the port name; the rest identifies the device for
// `dexal-download --list-ports`.
struct DexalPortInfo {
  std::wstring portName;            // what the download opens: COM3, /dev/ttyUSB0
  std::wstring friendlyName;        // the device's own description; empty when it has none
  std::wstring physicalDeviceName;  // e.g. \Device\USBSER000 (Windows)
  std::wstring enumeratorName;      // e.g. USB, FTDIBUS (Windows)
  unsigned usbVendor = 0;           // 0 when not a USB device or unknown
  unsigned usbProduct = 0;
};

// The serial ports of this computer that can be opened now, in the order the system gives them:
// on Windows the Ports device class and the SERIALCOMM device map, probed one by one; elsewhere
// what libserialport finds.
std::vector<DexalPortInfo> ListSerialPorts();

}  // namespace Dexal
