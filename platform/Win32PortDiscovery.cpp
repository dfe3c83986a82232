// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include <optional>
#include <vector>

#include "platform/PortDiscovery.h"
#include "platform/PortRules.h"

namespace Dexal {

namespace {

// GUID_DEVCLASS_PORTS, spelt out so that no initguid.h trickery is needed.
const GUID kPortsClass = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

std::wstring PortNameOfDevice(HDEVINFO set, SP_DEVINFO_DATA& device) {
  HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  std::wstring name;
  DWORD size = 0;
  if (RegQueryValueExW(key, L"PortName", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS &&
      size > 0) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS) {
      name = TextFromRegistryBuffer(buffer.data(), size);
    }
  }
  RegCloseKey(key);
  return name;
}

std::wstring DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
  DWORD size = 0;
  SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr,
                                         reinterpret_cast<BYTE*>(buffer.data()), size, nullptr)) {
    return {};
  }
  // For a multi-string (the hardware ids) this is its first entry.
  return TextFromRegistryBuffer(buffer.data(), size);
}

// The real enumeration: SetupAPI's Ports class, the SERIALCOMM device map and CreateFileW.
class Win32PortEnumeration final : public PortEnumeration {
 public:
  std::vector<DexalPortInfo> ClassPorts() override;
  std::vector<std::wstring> SerialCommPorts() override;
  bool CanOpen(const std::wstring& devicePath) override;
};

std::vector<DexalPortInfo> Win32PortEnumeration::ClassPorts() {
  std::vector<DexalPortInfo> ports;
  HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return ports;
  for (DWORD index = 0;; ++index) {
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiEnumDeviceInfo(set, index, &device)) break;
    DexalPortInfo port;
    port.portName = PortNameOfDevice(set, device);
    if (!port.portName.empty()) {
      port.friendlyName = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
      port.physicalDeviceName = DeviceProperty(set, device, SPDRP_PHYSICAL_DEVICE_OBJECT_NAME);
      port.enumeratorName = DeviceProperty(set, device, SPDRP_ENUMERATOR_NAME);
      const UsbIds ids = UsbIdsFromHardwareId(DeviceProperty(set, device, SPDRP_HARDWAREID));
      port.usbVendor = ids.vendor;
      port.usbProduct = ids.product;
    }
    ports.push_back(std::move(port));
  }
  SetupDiDestroyDeviceInfoList(set);
  return ports;
}

std::vector<std::wstring> Win32PortEnumeration::SerialCommPorts() {
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return names;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t valueName[256];
    DWORD valueNameLength = 256;
    wchar_t data[256] = {};
    DWORD dataSize = sizeof data - sizeof(wchar_t);  // room for a terminator of our own
    DWORD type = 0;
    const LONG status = RegEnumValueW(key, index, valueName, &valueNameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_MORE_DATA) continue;  // not a port name of any sensible length
    if (status != ERROR_SUCCESS) break;
    if (type == REG_SZ) names.push_back(TextFromRegistryBuffer(data, dataSize));
  }
  RegCloseKey(key);
  return names;
}

bool Win32PortEnumeration::CanOpen(const std::wstring& devicePath) {
  HANDLE handle = CreateFileW(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

// Where the FTDI driver keeps its devices: FTDIBUS\DEVICE\INSTANCE\Device Parameters holds a
// port's "PortName" and its adapter's "LatencyTimer".
constexpr wchar_t kFtdiDevices[] = L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS";

// The paths of the subkeys of HKLM\`path`.
std::vector<std::wstring> SubkeyPaths(const std::wstring& path) {
  std::vector<std::wstring> paths;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return paths;
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    paths.push_back(path + L"\\" + std::wstring(name, length));
  }
  RegCloseKey(key);
  return paths;
}

// A string value under HKLM\`path`; empty when there is none.
std::wstring RegistryText(const std::wstring& path, const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return TextFromRegistryBuffer(text, size);
}

// A DWORD value under HKLM\`path`.
std::optional<unsigned> RegistryDword(const std::wstring& path, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::vector<DexalPortInfo> ListSerialPorts() {
  Win32PortEnumeration enumeration;
  return ListSerialPorts(enumeration);
}

// Looked up by the port's name rather than through its Ports-class device, so that it is found
// for a port however it was listed (a SERIALCOMM name has no device of its own here).
std::optional<unsigned> AdapterLatencyTimer(const std::wstring& portName) {
  for (const std::wstring& device : SubkeyPaths(kFtdiDevices)) {
    for (const std::wstring& instance : SubkeyPaths(device)) {
      const std::wstring parameters = instance + L"\\Device Parameters";
      if (RegistryText(parameters, L"PortName") != portName) continue;
      if (const auto ms = RegistryDword(parameters, L"LatencyTimer")) return ms;
    }
  }
  return std::nullopt;
}

}  // namespace Dexal
