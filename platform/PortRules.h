#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/PortDiscovery.h"

namespace Dexal {

// The path a listing probes a port by: COM10 and above only open as \\.\COMnn. (The download
// opens every name by \\.\NAME: OpenPathFromPortName.)
std::wstring DevicePathFromPortName(const std::wstring& portName);

// A registry string as read into a buffer of `byteCount` bytes: the text up to its first NUL.
std::wstring TextFromRegistryBuffer(const wchar_t* buffer, std::size_t byteCount);

struct UsbIds {
  unsigned vendor = 0;
  unsigned product = 0;
};

// The ids in a hardware id such as USB\VID_0403&PID_6001&REV_0600; 0 for what does not match.
UsbIds UsbIdsFromHardwareId(const std::wstring& hardwareId);

// What the operating system can tell about serial ports; faked in tests.
class PortEnumeration {
 public:
  virtual ~PortEnumeration() = default;
  // The present devices of the Ports class in enumeration order; a device whose "PortName"
  // cannot be read comes with an empty name.
  virtual std::vector<DexalPortInfo> ClassPorts() = 0;
  // The port names under HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, in value order.
  virtual std::vector<std::wstring> SerialCommPorts() = 0;
  // Whether an exclusive open of the device path succeeds right now.
  virtual bool CanOpen(const std::wstring& devicePath) = 0;
};

// The ports that can be opened: the Ports class first (LPT1 and nameless devices left out,
// duplicates kept), then SERIALCOMM names that the class did not report, where virtual port
// drivers (and Wine) register their ports.
std::vector<DexalPortInfo> ListSerialPorts(PortEnumeration& enumeration);

}  // namespace Dexal
