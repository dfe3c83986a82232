#include "cli/PortListing.h"

namespace Dexal {

// Built without port discovery: nothing to list.
std::vector<ConsolePort> ListConsolePorts() { return {}; }

}  // namespace Dexal
