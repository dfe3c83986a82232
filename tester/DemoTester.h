#pragma once

#include <vector>

#include "tester/ResultSpec.h"
#include "tester/TesterScenario.h"

namespace Dexal {

// The built-in demo tester: a dozen results over all ten test types, full-length pulses.
std::vector<ResultSpec> DemoResultSpecs();
TesterIdentity DemoIdentity();
TesterScenario DemoTesterScenario();

}  // namespace Dexal
