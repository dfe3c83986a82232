// What the POSIX serial port does about a USB-serial adapter's latency timer, as
// platform/serial-adapter.txt gives it: low-latency mode asked of the driver on open and given
// back on close, and the timer read from sysfs for the port list.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sstream>

#include "platform/PortDiscovery.h"
#include "platform/PosixSystemCalls.h"
#include "platform/WideText.h"
#include "tests/support/CaseTable.h"
#include "tests/support/RecordingSystemCalls.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

std::string CallsOfOpenAndClose(const std::string& driver) {
  testing::RecordingSystemCalls calls;
  std::istringstream in(driver);
  int flags = 0;
  if (in >> std::hex >> flags) calls.driverFlags = flags;
  std::string refuses;
  calls.refusesFlags = (in >> refuses) && refuses == "refuses";
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  EXPECT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const auto port = MakePosixSerialPort(calls);
  EXPECT_EQ(port->Open(WideTextFromUtf8(ptsname(master))).stage, PortOpenResult::Stage::Ok);
  calls.calls += " /";
  port->Close();
  close(master);
  if (calls.driverFlags) {
    EXPECT_EQ(*calls.driverFlags, flags);
  }
  return calls.calls;
}

TEST(SerialAdapter, AsTheTableSays) {
  testing::ExpectEachRow("platform/serial-adapter.txt", 3, [](const auto& cells) {
    if (cells[0] == "calls") return CallsOfOpenAndClose(cells[1]);
    const auto ms =
        AdapterLatencyTimer(WideTextFromUtf8(cells[1]), testing::TestDataPath("platform/sysfs"));
    return ms ? std::to_string(*ms) : "-";
  });
}

}  // namespace
}  // namespace Dexal
