// The POSIX serial port against a real pseudo-terminal, with a peer on the master side.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "link/DexalSerialLink.h"
#include "link/FrameCodec.h"
#include "platform/WideText.h"

namespace Dexal {
namespace {

struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slave = ptsname(master);
    termios tio{};
    tcgetattr(master, &tio);
    cfmakeraw(&tio);
    tcsetattr(master, TCSANOW, &tio);
  }
  ~Pty() {
    if (master >= 0) close(master);
  }
  // Reads one frame written by the link (or gives up after a second).
  ByteVector ReadFrame() const {
    FrameReceiver receiver;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd pfd{master, POLLIN, 0};
      if (poll(&pfd, 1, 20) <= 0) continue;
      std::uint8_t buffer[256];
      const ssize_t n = read(master, buffer, sizeof buffer);
      for (ssize_t i = 0; i < n; ++i) {
        if (receiver.Feed(buffer[i])) return receiver.Data();
      }
    }
    return {};
  }
};

TEST(PtySerialPort, ExchangesFramesWithAPeer) {
  Pty pty;
  ASSERT_GE(pty.master, 0);
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(pty.slave))) << link.ErrorText();
  std::thread peer([&pty] {
    const ByteVector request = pty.ReadFrame();
    ByteVector reply = request;
    reply.push_back(0xFA);  // an escaped byte on the way back
    const ByteVector frame = EncodeFrame(reply);
    // Split the reply so the link has to assemble it from several reads.
    ASSERT_EQ(write(pty.master, frame.data(), 3), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(write(pty.master, frame.data() + 3, frame.size() - 3),
              static_cast<ssize_t>(frame.size() - 3));
  });
  ASSERT_TRUE(link.WriteFrame({0x01, 0x00, 0x20, 0x28}));
  ByteVector data;
  ASSERT_TRUE(link.ReadFrame(data, 500));
  peer.join();
  EXPECT_EQ(data, (ByteVector{0x01, 0x00, 0x20, 0x28, 0xFA}));
}

TEST(PtySerialPort, SilentPeerEndsTheReadAfterItsTimeOut) {
  Pty pty;
  ASSERT_GE(pty.master, 0);
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(pty.slave))) << link.ErrorText();
  ByteVector data;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(link.ReadFrame(data, 200));
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  EXPECT_TRUE(data.empty());
  EXPECT_GE(elapsed, 200);
  EXPECT_LT(elapsed, 260);
}

TEST(PtySerialPort, MissingDeviceGivesOpenFailed) {
  DexalSerialLink link;
  EXPECT_FALSE(link.Open(L"/dev/no-such-tester-port"));
  EXPECT_EQ(link.ErrorKind(), LinkError::OpenFailed);
  const std::string text = link.ErrorText();
  EXPECT_EQ(text.substr(0, text.find('\n')), "Protocol Error 1: Cannot open COM port.");
  EXPECT_NE(text.find("\nSystem Reported Error 2: No such file or directory"), std::string::npos)
      << text;
}

TEST(PtySerialPort, LineGoingAwayIsAReadFailure) {
  auto pty = std::make_unique<Pty>();
  ASSERT_GE(pty->master, 0);
  DexalSerialLink link;
  ASSERT_TRUE(link.Open(WideTextFromUtf8(pty->slave)));
  pty.reset();
  ByteVector data;
  EXPECT_FALSE(link.ReadFrame(data, 200));
  EXPECT_EQ(link.ErrorKind(), LinkError::ReadFailed);
}

}  // namespace
}  // namespace Dexal
