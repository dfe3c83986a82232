#pragma once

#include <vector>

#include "tester/ResultFields.h"
#include "tester/TesterScenario.h"

namespace Dexal {

// The built-in demo tester: a dozen results over all ten test types, full-length pulses.
std::vector<ResultFields> DemoResultFields();
TesterIdentity DemoIdentity();
TesterScenario DemoTesterScenario();

}  // namespace Dexal
