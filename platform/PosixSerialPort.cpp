#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/PosixSystemCalls.h"
#include "platform/SerialPort.h"
#include "platform/WideText.h"

namespace Dexal {
namespace {

// One write waits no longer for room on the line than a read waits for a byte, so that the
// link's frame deadline is checked as often.
constexpr int kWriteWaitMs = static_cast<int>(kFirstByteWaitMs);

class PosixSerialPort final : public SerialPort {
 public:
  explicit PosixSerialPort(PosixSystemCalls& calls) : calls_(calls) {}
  ~PosixSerialPort() override { Close(); }

  PortOpenResult Open(const std::wstring& portName) override {
    Close();
    const std::string path = Utf8FromWideText(OpenPathFromPortName(portName));
    fd_ = calls_.Open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
      const auto error = static_cast<std::uint32_t>(errno);
      fd_ = -1;
      return {PortOpenResult::Stage::OpenFailed, error};
    }
    if (!Configure()) {
      return {PortOpenResult::Stage::ConfigureFailed, static_cast<std::uint32_t>(errno)};
    }
    AskForLowLatency();
    return {};
  }

  void Close() override {
    if (fd_ >= 0) {
      RestoreSerialFlags();
      calls_.Close(fd_);
      fd_ = -1;
    }
  }

  [[nodiscard]] bool IsOpen() const override { return fd_ >= 0; }

  bool Write(const std::uint8_t* data, std::size_t size, std::size_t& written,
             std::uint32_t& osError) override {
    written = 0;
    pollfd pfd{fd_, POLLOUT, 0};
    const int ready = ::poll(&pfd, 1, kWriteWaitMs);
    if (ready < 0) {
      if (errno == EINTR) return true;
      osError = static_cast<std::uint32_t>(errno);
      return false;
    }
    if (ready == 0) return true;  // the caller's deadline decides
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return true;
      osError = static_cast<std::uint32_t>(errno);
      return false;
    }
    written = static_cast<std::size_t>(n);
    return true;
  }

  bool Read(std::uint8_t* buffer, std::size_t capacity, std::size_t& received,
            std::uint32_t& osError) override {
    received = 0;
    pollfd pfd{fd_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, static_cast<int>(kFirstByteWaitMs));
    if (ready < 0) {
      if (errno == EINTR) return true;
      osError = static_cast<std::uint32_t>(errno);
      return false;
    }
    if (ready == 0) return true;
    const ssize_t n = ::read(fd_, buffer, capacity);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) return true;
      osError = static_cast<std::uint32_t>(errno);
      return false;
    }
    if (n == 0 && (pfd.revents & POLLHUP) != 0) {
      // The other end went away; report it instead of spinning on an empty line.
      osError = EIO;
      return false;
    }
    received = static_cast<std::size_t>(n);
    return true;
  }

 private:
  bool Configure() {
    if (calls_.Ioctl(fd_, TIOCEXCL, nullptr) != 0) return false;
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    static_assert(kLineBaud == 921600, "termios names the speed B921600");
    if (::cfsetispeed(&tio, B921600) != 0 || ::cfsetospeed(&tio, B921600) != 0) return false;
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
    // A pseudo-terminal has no modem lines; a real adapter honours these.
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)calls_.Ioctl(fd_, TIOCMBIS, &lines);
    return true;
  }

  // A USB-serial adapter holds the last, partly filled USB packet of every reply until its
  // latency timer fires (16 ms on FTDI's unless lowered), and the download waits for each reply
  // before the next request. In low-latency mode the ftdi_sio driver sets the timer to 1 ms. A
  // port that does not take it (a pseudo-terminal, another driver) is used as it is.
  void AskForLowLatency() {
    serial_struct serial{};
    if (calls_.Ioctl(fd_, TIOCGSERIAL, &serial) != 0) return;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return;
    const int flags = serial.flags;
    serial.flags |= ASYNC_LOW_LATENCY;
    if (calls_.Ioctl(fd_, TIOCSSERIAL, &serial) == 0) flagsBefore_ = flags;
  }

  // The driver's flags as the port found them, for whoever opens it next.
  void RestoreSerialFlags() {
    if (!flagsBefore_) return;
    serial_struct serial{};
    if (calls_.Ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
      serial.flags = *flagsBefore_;
      (void)calls_.Ioctl(fd_, TIOCSSERIAL, &serial);
    }
    flagsBefore_.reset();
  }

  PosixSystemCalls& calls_;
  int fd_ = -1;
  std::optional<int> flagsBefore_;  // set while the port holds low-latency mode of our asking
};

}  // namespace

int PosixSystemCalls::Open(const char* path, int flags) { return ::open(path, flags); }
int PosixSystemCalls::Ioctl(int fd, unsigned long request, void* argument) {
  return ::ioctl(fd, request, argument);
}
int PosixSystemCalls::Close(int fd) { return ::close(fd); }

std::unique_ptr<SerialPort> MakePosixSerialPort(PosixSystemCalls& calls) {
  return std::make_unique<PosixSerialPort>(calls);
}

std::unique_ptr<SerialPort> MakeSystemSerialPort() {
  static PosixSystemCalls libc;
  return MakePosixSerialPort(libc);
}

std::wstring OpenPathFromPortName(const std::wstring& portName) { return portName; }

}  // namespace Dexal
