#include "cli/ConsoleTerminal.h"

#ifdef _WIN32
#include <io.h>
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "platform/WideText.h"
#else
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace Dexal {

#ifdef _WIN32
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
#else
bool StderrIsTerminal() { return isatty(fileno(stderr)) != 0; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
#endif

std::filesystem::path PathFromUtf8(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(WideTextFromUtf8(text));
#else
  return std::filesystem::path(text);
#endif
}

std::int64_t SourceDateOrNow() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
    try {
      return std::stoll(epoch);
    } catch (const std::exception&) {
      // Not a number: made now, as without it.
    }
  }
  return static_cast<std::int64_t>(std::time(nullptr));
}

}  // namespace Dexal
