#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

// The calling thread's last OS error code (GetLastError / errno).
std::uint32_t LastOsError();

// The system's own text for an error code, as UTF-8.
std::string OsErrorMessage(std::uint32_t code);

// The same text without the line end that Windows puts after it, for "X: cannot be written
// (reason)".
inline std::string OsErrorReason(std::uint32_t code) {
  std::string text = OsErrorMessage(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

// How the second line of a link error names the system ("Windows Reported Error ").
const char* OsErrorLabel();

// The code the system uses for "permission denied" when opening a device.
bool IsPermissionDenied(std::uint32_t code);

// The usual fix when this account may not open the device at `devicePath`, as a "hint: " line.
std::string PermissionDeniedHint(const std::string& devicePath);

}  // namespace Dexal
