#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/CalendarTime.h"
#include "platform/Console.h"
#include "platform/OsError.h"
#include "platform/TickCount.h"

namespace Dexal {
namespace {

class MonotonicTicks final : public TickSource {
 public:
  std::uint32_t Ticks() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
};

}  // namespace

TickSource& SystemTicks() {
  static MonotonicTicks ticks;
  return ticks;
}

std::uint32_t LastOsError() { return static_cast<std::uint32_t>(errno); }

std::string OsErrorMessage(std::uint32_t code) {
  char buffer[256] = {};
  // GNU strerror_r may return a static string instead of filling the buffer.
  const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  return text != nullptr ? std::string(text) : std::string();
}

const char* OsErrorLabel() { return "System Reported Error "; }

bool IsPermissionDenied(std::uint32_t code) { return code == EACCES || code == EPERM; }

std::string PermissionDeniedHint(const std::string& devicePath) {
  std::string groupName = "the group that owns the device";
  struct stat info {};
  if (::stat(devicePath.c_str(), &info) == 0) {
    if (const group* owner = ::getgrgid(info.st_gid)) {
      groupName = std::string("'") + owner->gr_name + "'";
    }
  }
  return "hint: this account may not open " + devicePath + "; the usual fix is membership of " +
         groupName + " (sudo usermod -aG <group> $USER, then log in again).";
}

bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

CalendarTime NormaliseLocalFields(std::tm& fields) {
  return static_cast<CalendarTime>(std::mktime(&fields));
}

CalendarTime CalendarTimeFromLocal(std::tm fields) {
  static_assert(sizeof(std::time_t) == 8, "calendar time needs a 64-bit time_t");
  return static_cast<CalendarTime>(std::mktime(&fields));
}

bool LocalFromCalendarTime(CalendarTime time, std::tm& fields) {
  const auto t = static_cast<std::time_t>(time);
  return localtime_r(&t, &fields) != nullptr;
}

CalendarTime CurrentCalendarTime() { return static_cast<CalendarTime>(std::time(nullptr)); }

}  // namespace Dexal
