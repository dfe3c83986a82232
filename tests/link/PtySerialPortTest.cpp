// The POSIX serial port on a real pseudo-terminal: the time-out on the real clock and a missing
// device. Frames in both directions, split replies and a line that goes away are the end-to-end
// fault matrix's (tests/e2e), which runs the programs over pseudo-terminals.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>

#include "link/DexalSerialLink.h"
#include "platform/WideText.h"

namespace Dexal {
namespace {

TEST(PtySerialPort, SilentPeerEndsTheReadAfterItsTimeOut) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(ptsname(master)))) << link.ErrorText();
  ByteVector data = {1};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(link.ReadFrame(data, 200));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  close(master);
  EXPECT_TRUE(data.empty());
  EXPECT_GE(elapsed, std::chrono::milliseconds(200));
  EXPECT_LT(elapsed, std::chrono::milliseconds(260));
}

TEST(PtySerialPort, MissingDeviceGivesOpenFailed) {
  DexalSerialLink link;
  EXPECT_FALSE(link.Open(L"/dev/no-such-tester-port"));
  EXPECT_EQ(link.ErrorText(),
            "Protocol Error 1: Cannot open COM port.\nSystem Reported Error 2: No such file or "
            "directory");
}

}  // namespace
}  // namespace Dexal
