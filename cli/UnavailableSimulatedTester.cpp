#include "cli/SimulatedTester.h"

namespace Dexal {

std::unique_ptr<SimulatedTester> SimulatedTester::Start(std::string& error) {
  error = "the simulated tester needs pseudo-terminals, which this system does not have";
  return nullptr;
}

}  // namespace Dexal
