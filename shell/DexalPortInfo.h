#pragma once

#include <string>

namespace Dexal {

// One serial port found. Only the port name is used by the dialog; the rest identifies the
// device for `dexal-download --list-ports`.
struct DexalPortInfo {
  std::wstring portName;            // "PortName" as stored, e.g. COM3
  std::wstring friendlyName;        // empty when the device has none (SERIALCOMM-only ports)
  std::wstring physicalDeviceName;  // e.g. \Device\USBSER000
  std::wstring enumeratorName;      // e.g. USB, FTDIBUS
  unsigned usbVendor = 0;           // 0 when not a USB device or unknown
  unsigned usbProduct = 0;
};

}  // namespace Dexal
