#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "tester/TesterScenario.h"

namespace Dexal {

// A scenario file that cannot be used; the message names the field ("results[3].loadOhms").
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a scenario: {"tester": {...}, "results": [...], "faults": ["late:300@3", ...]}.
// The fields are listed in tester/scenarios/README.md.
TesterScenario ScenarioFromJson(std::string_view text);
TesterScenario LoadScenarioFile(const std::string& path);

}  // namespace Dexal
