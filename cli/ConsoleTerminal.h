#pragma once

#include <string>
#include <vector>

namespace Dexal {

bool StderrIsTerminal();

// The program's arguments as UTF-8, without the program name (Windows reads the wide
// command line so that non-ASCII paths survive).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace Dexal
