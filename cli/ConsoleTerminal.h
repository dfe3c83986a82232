#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Dexal {

bool StderrIsTerminal();

// The program's arguments as UTF-8, without the program name (Windows reads the wide
// command line so that non-ASCII paths survive).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// A path from a UTF-8 argument (Windows paths are wide).
std::filesystem::path PathFromUtf8(const std::string& text);

// The time of making of generated files: SOURCE_DATE_EPOCH when set (reproducible builds),
// otherwise now; seconds since 1970.
std::int64_t SourceDateOrNow();

}  // namespace Dexal
