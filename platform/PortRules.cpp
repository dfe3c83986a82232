#include "platform/PortRules.h"

#include <algorithm>
#include <cwctype>
#include <limits>
#include <regex>

namespace Dexal {

namespace {

const std::wstring kExcludedPort = L"LPT1";

bool IsCandidate(const std::wstring& name) { return !name.empty() && name != kExcludedPort; }

// Decimal or hexadecimal digits to a number; false when the text is not all digits or too big.
bool NumberFromDigits(const std::wstring& digits, unsigned base, unsigned long long limit,
                      unsigned long long& value) {
  if (digits.empty()) return false;
  value = 0;
  for (const wchar_t c : digits) {
    unsigned digit = 0;
    if (c >= L'0' && c <= L'9') {
      digit = static_cast<unsigned>(c - L'0');
    } else if (base == 16 && c >= L'A' && c <= L'F') {
      digit = static_cast<unsigned>(c - L'A') + 10U;
    } else {
      return false;
    }
    value = value * base + digit;
    if (value > limit) return false;
  }
  return true;
}

}  // namespace

std::wstring DevicePathFromPortName(const std::wstring& portName) {
  static const std::wregex pattern(L"^COM(\\d+)", std::regex::ECMAScript);
  std::wsmatch match;
  if (!std::regex_search(portName, match, pattern)) return portName;
  unsigned long long number = 0;
  const auto limit = static_cast<unsigned long long>(std::numeric_limits<int>::max());
  if (!NumberFromDigits(match[1].str(), 10, limit, number)) return portName;
  if (number > 9) return L"\\\\.\\" + portName;
  return portName;
}

std::wstring TextFromRegistryBuffer(const wchar_t* buffer, std::size_t byteCount) {
  if (buffer == nullptr) return {};
  const std::size_t length = byteCount / sizeof(wchar_t);
  const wchar_t* end = std::find(buffer, buffer + length, L'\0');
  return std::wstring(buffer, end);
}

UsbIds UsbIdsFromHardwareId(const std::wstring& hardwareId) {
  std::wstring upper = hardwareId;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
  static const std::wregex pattern(L"VID_(\\w+)&PID_(\\w+)", std::regex::ECMAScript);
  std::wsmatch match;
  UsbIds ids;
  if (!std::regex_search(upper, match, pattern)) return ids;
  const unsigned long long limit = std::numeric_limits<unsigned>::max();
  unsigned long long value = 0;
  if (NumberFromDigits(match[1].str(), 16, limit, value)) ids.vendor = static_cast<unsigned>(value);
  if (NumberFromDigits(match[2].str(), 16, limit, value))
    ids.product = static_cast<unsigned>(value);
  return ids;
}

std::vector<DexalPortInfo> ListSerialPorts(PortEnumeration& enumeration) {
  std::vector<DexalPortInfo> ports;
  std::vector<std::wstring> seen;
  for (DexalPortInfo& port : enumeration.ClassPorts()) {
    if (!IsCandidate(port.portName)) continue;
    seen.push_back(port.portName);
    if (enumeration.CanOpen(DevicePathFromPortName(port.portName)))
      ports.push_back(std::move(port));
  }
  for (std::wstring& name : enumeration.SerialCommPorts()) {
    if (!IsCandidate(name)) continue;
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
    seen.push_back(name);
    if (enumeration.CanOpen(DevicePathFromPortName(name))) {
      DexalPortInfo port;
      port.portName = std::move(name);
      ports.push_back(std::move(port));
    }
  }
  return ports;
}

}  // namespace Dexal
