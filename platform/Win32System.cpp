#include <io.h>
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <ctime>

#include "platform/CalendarTime.h"
#include "platform/Console.h"
#include "platform/OsError.h"
#include "platform/TickCount.h"
#include "platform/WideText.h"

namespace Dexal {
namespace {

class Win32Ticks final : public TickSource {
 public:
  std::uint32_t Ticks() override { return GetTickCount(); }
};

}  // namespace

TickSource& SystemTicks() {
  static Win32Ticks ticks;
  return ticks;
}

std::uint32_t LastOsError() { return GetLastError(); }

std::string OsErrorMessage(std::uint32_t code) {
  LPWSTR text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0x400, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  std::string message;
  if (length != 0 && text != nullptr) {
    message = Utf8FromWideText(std::wstring(text, length));
  }
  if (text != nullptr) LocalFree(text);
  return message;
}

const char* OsErrorLabel() { return "Windows Reported Error "; }

bool IsPermissionDenied(std::uint32_t code) { return code == ERROR_ACCESS_DENIED; }

std::string PermissionDeniedHint(const std::string& /*devicePath*/) {
  return "hint: the port is in use by another program, or this account may not open it.";
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::vector<std::string> CommandLineArguments(int /*argc*/, char** /*argv*/) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8FromWideText(wide[i]));
  LocalFree(wide);
  return args;
}

CalendarTime NormaliseLocalFields(std::tm& fields) {
  return static_cast<CalendarTime>(_mktime64(&fields));
}

CalendarTime CalendarTimeFromLocal(std::tm fields) {
  return static_cast<CalendarTime>(_mktime64(&fields));
}

bool LocalFromCalendarTime(CalendarTime time, std::tm& fields) {
  const __time64_t t = time;
  return _localtime64_s(&fields, &t) == 0;
}

CalendarTime CurrentCalendarTime() { return static_cast<CalendarTime>(_time64(nullptr)); }

}  // namespace Dexal
