#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tester/TesterCore.h"
#include "tester/TesterScenario.h"

namespace Dexal {

struct TesterServerOptions {
  std::string devicePath;  // serve on this serial device; empty: on a new pseudo-terminal
  bool pace = false;       // give every byte its wire time at 921600 baud, 10 bits a byte
  std::uint32_t adapterLatencyMs = 0;  // a USB adapter's latency timer (ReplySchedule); 0: none
};

// Serves a scenario from a background thread on the master side of a pseudo-terminal (or on a
// serial device), so the downloader's real serial code runs against it. POSIX only.
class TesterServer {
 public:
  explicit TesterServer(TesterScenario scenario, TesterServerOptions options = {});
  ~TesterServer();
  TesterServer(const TesterServer&) = delete;
  TesterServer& operator=(const TesterServer&) = delete;

  // Opens the line and starts the thread; false and a reason when the line cannot be had.
  bool Start(std::string& error);
  // Stops the thread and closes the line; safe to call twice.
  void Stop();

  // The slave path of the pseudo-terminal (such as /dev/pts/3), or the device path.
  [[nodiscard]] const std::string& PortPath() const { return portPath_; }

  void AddFault(const Fault& fault);
  // Called on the server thread for every request, before its reply goes out.
  void SetRequestObserver(std::function<void(const RequestRecord&)> observer);

  [[nodiscard]] std::vector<RequestRecord> Requests() const;
  [[nodiscard]] std::optional<TesterClock> ClockSent() const;
  [[nodiscard]] bool EndDownloadReceived() const;
  // Waits until the end-download reply is out or the line was closed by a fault.
  bool WaitForEndDownload(std::chrono::milliseconds timeout) const;
  // After the end-download reply: waits until the downloader has closed its side of the
  // pseudo-terminal (or a fault closed the line). Closing ours first would throw away a reply
  // it has not read yet.
  bool WaitForClientToClose(std::chrono::milliseconds timeout) const;

 private:
  void Run();
  void Serve(const std::vector<ReplyPlan>& plans);
  bool WriteAll(const std::uint8_t* data, std::size_t size);
  // Sleeps until the time point; false when Stop interrupted it.
  bool SleepUntil(std::chrono::steady_clock::time_point until);
  void CloseLine();

  TesterServerOptions options_;
  std::string portPath_;
  int fd_ = -1;
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::atomic<bool> stop_{false};

  mutable std::mutex mutex_;
  mutable std::condition_variable done_;
  TesterCore core_;
  std::function<void(const RequestRecord&)> observer_;
  bool finished_ = false;      // end download answered, or line closed
  bool clientClosed_ = false;  // after the end: the other side hung up, or a fault closed ours

  std::chrono::steady_clock::time_point lineFree_{};  // when the last byte has crossed the wire
};

}  // namespace Dexal
