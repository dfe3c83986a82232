#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/ByteVector.h"
#include "link/DexalWire.h"
#include "link/FrameCodec.h"
#include "tester/TesterScenario.h"

namespace Dexal {

// One request frame as the tester received it.
struct RequestRecord {
  std::uint32_t number = 0;  // 1-based
  std::uint16_t sequence = 0;
  std::uint16_t code = 0;
  ByteVector payload;
  std::chrono::system_clock::time_point received;
};

// What to put on the line for one request.
struct ReplyPlan {
  std::uint32_t requestNumber = 0;
  ByteVector bytes;           // noise and frame; empty when nothing is sent
  std::uint32_t delayMs = 0;  // wait before the first byte
  std::size_t pieceSize = 0;  // write at most this many bytes at a time; 0 = one write
  bool closeLine = false;     // drop the line instead of replying
};

// The clock the downloader set, as it sent it.
struct TesterClock {
  std::uint16_t year = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const TesterClock&) const = default;
};

// The tester's side of the protocol without any I/O: request bytes in (split anyhow), reply
// plans out, one per request frame.
class TesterCore {
 public:
  explicit TesterCore(TesterScenario scenario);

  std::vector<ReplyPlan> Feed(const std::uint8_t* data, std::size_t size,
                              std::chrono::system_clock::time_point now);
  std::vector<ReplyPlan> Feed(const ByteVector& bytes) {
    return Feed(bytes.data(), bytes.size(), std::chrono::system_clock::now());
  }

  void AddFault(const Fault& fault);

  // The reply data for a request as a faultless tester gives it.
  [[nodiscard]] ByteVector ReplyData(std::uint16_t sequence, std::uint16_t code,
                                     const ByteVector& payload) const;

  [[nodiscard]] const std::vector<RequestRecord>& Requests() const { return requests_; }
  [[nodiscard]] const std::optional<TesterClock>& ClockSent() const { return clock_; }
  [[nodiscard]] bool EndDownloadReceived() const { return endDownload_; }
  [[nodiscard]] const TesterScenario& Scenario() const { return scenario_; }

 private:
  struct ActiveFault {
    Fault fault;
    std::uint32_t fired = 0;
  };

  ReplyPlan Answer(const ByteVector& request, std::chrono::system_clock::time_point now);
  ByteVector ResultDataReply(std::uint16_t sequence, const ByteVector& payload,
                             std::uint32_t badCrcMask) const;

  TesterScenario scenario_;
  std::vector<ByteVector> blocks_;
  std::vector<ActiveFault> faults_;
  FrameReceiver receiver_;
  std::vector<RequestRecord> requests_;
  std::optional<TesterClock> clock_;
  bool endDownload_ = false;
  bool silent_ = false;
  bool lineClosed_ = false;
};

// A frame whose CRC is deliberately wrong (the rest of it intact).
ByteVector EncodeFrameWithBadCrc(const ByteVector& data);

}  // namespace Dexal
