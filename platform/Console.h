#pragma once

#include <string>
#include <vector>

namespace Dexal {

// Whether stderr is a terminal (where a progress line is worth showing).
bool StderrIsTerminal();

// The program's arguments as UTF-8, without the program name (Windows reads the wide command
// line so that non-ASCII paths survive).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace Dexal
