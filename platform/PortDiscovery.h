#pragma once

#include <filesystem>
#include <optional>
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
  std::optional<unsigned> latencyTimerMs;  // an FTDI adapter's, where AdapterLatencyTimer gives it
};

// The serial ports of this computer that can be opened now, in the order the system gives them:
// on Windows the Ports device class and the SERIALCOMM device map, probed one by one; elsewhere
// what libserialport finds.
std::vector<DexalPortInfo> ListSerialPorts();

// The latency timer of the FTDI USB-serial adapter behind a port, in ms, where the system shows
// it: on Windows the value "LatencyTimer" of the device parameters that hold the port's
// "PortName"; on Linux the driver's latency_timer file in sysfs. None for other ports.
std::optional<unsigned> AdapterLatencyTimer(const std::wstring& portName);
#ifndef _WIN32
// The same from a sysfs tree at `sysfs` (/sys): bus/usb-serial/devices/NAME/latency_timer for
// the port /dev/NAME.
std::optional<unsigned> AdapterLatencyTimer(const std::wstring& portName,
                                            const std::filesystem::path& sysfs);
#endif

}  // namespace Dexal
