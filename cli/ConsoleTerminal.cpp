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

}  // namespace Dexal
