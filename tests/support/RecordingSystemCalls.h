#pragma once

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <optional>
#include <string>

#include "platform/PosixSystemCalls.h"

namespace Dexal::testing {

// The C library's calls, but for a serial driver's serial-info calls: TIOCGSERIAL is answered
// from `driverFlags`, and each TIOCSSERIAL is noted in `calls` as " set=FLAGS" (in decimal).
class RecordingSystemCalls final : public PosixSystemCalls {
 public:
  int Ioctl(int fd, unsigned long request, void* argument) override {
    auto* serial = static_cast<serial_struct*>(argument);
    if (request == TIOCSSERIAL) calls += " set=" + std::to_string(serial->flags);
    if (request != TIOCGSERIAL && request != TIOCSSERIAL) {
      return PosixSystemCalls::Ioctl(fd, request, argument);
    }
    if (!driverFlags || (request == TIOCSSERIAL && refusesFlags)) return -1;
    if (request == TIOCGSERIAL) serial->flags = *driverFlags;
    if (request == TIOCSSERIAL) driverFlags = serial->flags;
    return 0;
  }

  std::optional<int> driverFlags;  // none: the device has no serial info (a pseudo-terminal)
  bool refusesFlags = false;       // TIOCSSERIAL fails
  std::string calls;
};

}  // namespace Dexal::testing
