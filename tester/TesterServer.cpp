#include "tester/TesterServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/SerialPort.h"
#include "tester/ReplySchedule.h"

namespace Dexal {
namespace {

constexpr auto kByteTime = std::chrono::nanoseconds(kLineBitsPerByte * 1'000'000'000LL / kLineBaud);

std::chrono::steady_clock::duration WireTime(std::size_t bytes) {
  return kByteTime * static_cast<long long>(bytes);
}

bool MakeRaw(int fd, bool setSpeed) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  static_assert(kLineBaud == 921600, "termios names the speed B921600");
  if (setSpeed && (cfsetispeed(&tio, B921600) != 0 || cfsetospeed(&tio, B921600) != 0)) {
    return false;
  }
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

std::string SystemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

TesterServer::TesterServer(TesterScenario scenario, TesterServerOptions options)
    : options_(std::move(options)), core_(std::move(scenario)) {}

TesterServer::~TesterServer() { Stop(); }

bool TesterServer::Start(std::string& error) {
  if (thread_.joinable()) return true;
  if (options_.devicePath.empty()) {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ < 0) {
      error = SystemError("posix_openpt");
      return false;
    }
    if (grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
      error = SystemError("grantpt/unlockpt");
      CloseLine();
      return false;
    }
    const char* slave = ptsname(fd_);
    if (slave == nullptr) {
      error = SystemError("ptsname");
      CloseLine();
      return false;
    }
    portPath_ = slave;
    // The slave takes the downloader's settings; raw mode here keeps the line 8-bit clean
    // until it opens the port.
    MakeRaw(fd_, false);
  } else {
    fd_ = open(options_.devicePath.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) {
      error = SystemError(options_.devicePath.c_str());
      return false;
    }
    if (!MakeRaw(fd_, true)) {
      error = SystemError("cannot configure the device");
      CloseLine();
      return false;
    }
    portPath_ = options_.devicePath;
  }
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
  if (pipe(wake_) != 0) {
    error = SystemError("pipe");
    CloseLine();
    return false;
  }
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void TesterServer::Stop() {
  if (thread_.joinable()) {
    stop_ = true;
    const std::uint8_t byte = 1;
    [[maybe_unused]] const auto n = write(wake_[1], &byte, 1);
    thread_.join();
  }
  for (int& fd : wake_) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  CloseLine();
}

void TesterServer::CloseLine() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

void TesterServer::AddFault(const Fault& fault) {
  std::lock_guard lock(mutex_);
  core_.AddFault(fault);
}

void TesterServer::SetRequestObserver(std::function<void(const RequestRecord&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

std::vector<RequestRecord> TesterServer::Requests() const {
  std::lock_guard lock(mutex_);
  return core_.Requests();
}

std::optional<TesterClock> TesterServer::ClockSent() const {
  std::lock_guard lock(mutex_);
  return core_.ClockSent();
}

bool TesterServer::EndDownloadReceived() const {
  std::lock_guard lock(mutex_);
  return core_.EndDownloadReceived();
}

bool TesterServer::WaitForEndDownload(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, timeout, [this] { return finished_; });
}

bool TesterServer::WaitForClientToClose(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, timeout, [this] { return clientClosed_; });
}

bool TesterServer::SleepUntil(std::chrono::steady_clock::time_point until) {
  for (;;) {
    if (stop_) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= until) return true;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - now);
    if (left > std::chrono::milliseconds(2)) {
      pollfd wake{wake_[0], POLLIN, 0};
      poll(&wake, 1, static_cast<int>(left.count() / 1000));
    } else {
      std::this_thread::sleep_for(left);
    }
  }
}

bool TesterServer::WriteAll(const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    if (stop_ || fd_ < 0) return false;
    const ssize_t n = write(fd_, data + done, size - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return false;  // nobody on the other end; the reply is lost as on a real line
    }
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {wake_[0], POLLIN, 0}};
    poll(fds, 2, 50);
  }
  return true;
}

void TesterServer::Serve(const std::vector<ReplyPlan>& plans) {
  for (const auto& plan : plans) {
    if (plan.closeLine) {
      CloseLine();
      std::lock_guard lock(mutex_);
      finished_ = true;
      clientClosed_ = true;  // nothing left on the line to lose
      done_.notify_all();
      return;
    }
    if (plan.delayMs > 0 &&
        !SleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(plan.delayMs))) {
      return;
    }
    if (options_.pace && !SleepUntil(lineFree_)) return;  // the request is still on the wire
    const LinePace pace{options_.pace ? kByteTime : std::chrono::nanoseconds{},
                        std::chrono::milliseconds(options_.adapterLatencyMs), plan.pieceSize};
    const auto start = std::chrono::steady_clock::now();
    for (const ReplyPiece& piece : ReplySchedule(plan.bytes.size(), pace)) {
      if (!SleepUntil(start + piece.at)) return;
      if (!WriteAll(plan.bytes.data() + piece.from, piece.bytes)) break;
    }
    lineFree_ = std::max(lineFree_, std::chrono::steady_clock::now());
  }
  std::lock_guard lock(mutex_);
  if (core_.EndDownloadReceived() && !finished_) {
    finished_ = true;
    done_.notify_all();
  }
}

void TesterServer::Run() {
  std::uint8_t buffer[4096];
  while (!stop_) {
    if (fd_ < 0) {
      pollfd wake{wake_[0], POLLIN, 0};
      poll(&wake, 1, 100);
      continue;
    }
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 2, 100) <= 0 || stop_) continue;
    ssize_t n = -1;
    if ((fds[0].revents & POLLIN) != 0) n = read(fd_, buffer, sizeof buffer);
    if (n <= 0) {
      // No slave open (the downloader has not opened the port yet, or closed it): wait.
      if ((fds[0].revents & (POLLHUP | POLLERR)) != 0 || (n < 0 && errno == EIO)) {
        {
          std::lock_guard lock(mutex_);
          if (finished_ && !clientClosed_) {
            clientClosed_ = true;
            done_.notify_all();
          }
        }
        pollfd wake{wake_[0], POLLIN, 0};
        poll(&wake, 1, 10);
      }
      continue;
    }
    const auto arrived = std::chrono::steady_clock::now();
    lineFree_ = std::max(lineFree_, arrived) + WireTime(static_cast<std::size_t>(n));
    std::vector<ReplyPlan> plans;
    std::vector<RequestRecord> fresh;
    std::function<void(const RequestRecord&)> observer;
    {
      std::lock_guard lock(mutex_);
      const std::size_t before = core_.Requests().size();
      plans = core_.Feed(buffer, static_cast<std::size_t>(n), std::chrono::system_clock::now());
      if (observer_) {
        fresh.assign(core_.Requests().begin() + static_cast<long>(before), core_.Requests().end());
        observer = observer_;
      }
    }
    for (const auto& record : fresh) observer(record);
    Serve(plans);
  }
}

}  // namespace Dexal
