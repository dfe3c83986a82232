#pragma once

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Console.h"
#include "platform/FileSystem.h"
#include "platform/WideText.h"

namespace Dexal {

constexpr int kExitUsage = 2;

// Parses the program's arguments into app. The exit status when the program ends here: 0 after
// --help or --version, kExitUsage for a usage error; nothing when it goes on.
inline std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv) {
  try {
    // CLI11 takes a vector of arguments last first.
    std::vector<std::string> args = CommandLineArguments(argc, argv);
    std::reverse(args.begin(), args.end());
    app.parse(args);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kExitUsage;
  }
  return std::nullopt;
}

// The usage error when two of the named paths are one file, also through a link: "--html and
// --table name the same file: a.html". Each path is given with the name it has on the command
// line; an empty path (an option not given) is left out.
inline std::optional<std::string> SameFileError(
    const std::vector<std::pair<std::string, std::string>>& named) {
  for (std::size_t i = 0; i < named.size(); ++i) {
    for (std::size_t j = i + 1; j < named.size(); ++j) {
      if (named[i].second.empty() || named[j].second.empty()) continue;
      if (SameFile(PathFromUtf8(named[i].second), PathFromUtf8(named[j].second))) {
        return named[i].first + " and " + named[j].first +
               " name the same file: " + named[j].second;
      }
    }
  }
  return std::nullopt;
}

}  // namespace Dexal
