#include "tests/support/RecordingSystemCalls.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace Dexal::testing {

int RecordingSystemCalls::Open(const char* path, int flags) {
  Note("open");
  return ::open(path, flags);
}

int RecordingSystemCalls::Close(int fd) {
  Note("close");
  return ::close(fd);
}

int RecordingSystemCalls::Ioctl(int fd, unsigned long request, void* argument) {
  auto* serial = static_cast<serial_struct*>(argument);
  if (request == TIOCGSERIAL) {
    Note("TIOCGSERIAL");
    if (!driverFlags) {
      errno = ENOTTY;
      return -1;
    }
    *serial = serial_struct{};
    serial->flags = *driverFlags;
    return 0;
  }
  if (request == TIOCSSERIAL) {
    char call[32];
    std::snprintf(call, sizeof call, "TIOCSSERIAL=%x", static_cast<unsigned>(serial->flags));
    Note(call);
    if (!driverFlags || refusesFlags) {
      errno = EPERM;
      return -1;
    }
    driverFlags = serial->flags;
    return 0;
  }
  Note(request == TIOCEXCL ? "TIOCEXCL" : request == TIOCMBIS ? "TIOCMBIS" : "ioctl");
  return ::ioctl(fd, request, argument);
}

}  // namespace Dexal::testing
