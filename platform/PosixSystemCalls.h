#pragma once

#include <memory>

#include "platform/SerialPort.h"

namespace Dexal {

// The calls by which the POSIX serial port opens, asks things of and closes its device: the C
// library's, or a test's stand-in for a driver this machine does not have.
class PosixSystemCalls {
 public:
  virtual ~PosixSystemCalls() = default;
  virtual int Open(const char* path, int flags) = 0;
  virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
  virtual int Close(int fd) = 0;
};

// The serial port making its calls through `calls`, which outlives it.
std::unique_ptr<SerialPort> MakePosixSerialPort(PosixSystemCalls& calls);

}  // namespace Dexal
