#include <memory>

#include "cli/SimulatedTester.h"
#include "tester/DemoTester.h"
#include "tester/TesterServer.h"

namespace Dexal {
namespace {

class PtySimulatedTester final : public SimulatedTester {
 public:
  PtySimulatedTester() : server_(DemoTesterScenario()) {}
  bool Start(std::string& error) { return server_.Start(error); }
  [[nodiscard]] std::string PortName() const override { return server_.PortPath(); }

 private:
  TesterServer server_;
};

}  // namespace

std::unique_ptr<SimulatedTester> SimulatedTester::Start(std::string& error) {
  auto tester = std::make_unique<PtySimulatedTester>();
  if (!tester->Start(error)) return nullptr;
  return tester;
}

}  // namespace Dexal
