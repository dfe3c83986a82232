#pragma once

#include <optional>
#include <string>

#include "platform/PosixSystemCalls.h"

namespace Dexal::testing {

// The C library's calls, with a serial driver's serial-info calls (TIOCGSERIAL, TIOCSSERIAL)
// answered from `driverFlags`, and every call noted in `calls`: "open", "TIOCEXCL",
// "TIOCGSERIAL", "TIOCSSERIAL=<flags in hex>", ..., "close".
class RecordingSystemCalls final : public PosixSystemCalls {
 public:
  int Open(const char* path, int flags) override;
  int Ioctl(int fd, unsigned long request, void* argument) override;
  int Close(int fd) override;

  std::optional<int> driverFlags;  // none: the device has no serial info (a pseudo-terminal)
  bool refusesFlags = false;       // TIOCSSERIAL fails
  std::string calls;               // space-separated

 private:
  void Note(const std::string& call) { calls += (calls.empty() ? "" : " ") + call; }
};

}  // namespace Dexal::testing
