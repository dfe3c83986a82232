#pragma once

#include <exception>
#include <string>
#include <typeinfo>

namespace Dexal::testing {

// The message of the exception of type E that `action` throws; "(nothing thrown)" when it
// returns, and "(other exception) ..." when it throws something that is not an E.
template <class E = std::exception, class Action>
std::string MessageOf(Action&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    if (dynamic_cast<const E*>(&e) != nullptr) return e.what();
    return std::string("(other exception) ") + typeid(e).name() + ": " + e.what();
  }
  return "(nothing thrown)";
}

}  // namespace Dexal::testing
