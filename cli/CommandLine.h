#pragma once

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/Console.h"

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

}  // namespace Dexal
