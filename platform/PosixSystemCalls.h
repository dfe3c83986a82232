#pragma once

#include <memory>

#include "platform/SerialPort.h"

namespace Dexal {

// The calls by which the POSIX serial port opens, asks things of and closes its device: the C
// library's, which a test may stand in for where it needs a driver this machine does not have.
class PosixSystemCalls {
 public:
  virtual ~PosixSystemCalls() = default;
  virtual int Open(const char* path, int flags);
  virtual int Ioctl(int fd, unsigned long request, void* argument);
  virtual int Close(int fd);
};

// The serial port making its calls through `calls`, which outlives it.
std::unique_ptr<SerialPort> MakePosixSerialPort(PosixSystemCalls& calls);

}  // namespace Dexal
