#pragma once

#include <memory>
#include <string>

namespace Dexal {

// The built-in demo tester, served on a pseudo-terminal inside this process for --simulate.
class SimulatedTester {
 public:
  virtual ~SimulatedTester() = default;

  // Starts serving; nullptr and a reason when it cannot (no pseudo-terminals on Windows).
  static std::unique_ptr<SimulatedTester> Start(std::string& error);

  // The device path the download opens.
  [[nodiscard]] virtual std::string PortName() const = 0;
};

}  // namespace Dexal
