#include "tester/ReplySchedule.h"

#include <algorithm>

namespace Dexal {

namespace {

using std::chrono::nanoseconds;

constexpr std::size_t kUsbPacketPayload = 62;  // 64 bytes, less the chip's two status bytes
constexpr std::size_t kPacedPiece = 64;
constexpr nanoseconds kSplitGap = std::chrono::milliseconds(2);

// The reply in pieces of `size` bytes, each sent at when(end, n, pieces before it): `end` the
// count of reply bytes up to its last, `n` its own count.
template <class When>
std::vector<ReplyPiece> Pieces(std::size_t replyBytes, std::size_t size, When when) {
  std::vector<ReplyPiece> pieces;
  for (std::size_t at = 0; at < replyBytes; at += size) {
    const std::size_t n = std::min(size, replyBytes - at);
    pieces.push_back({at, n, when(at + n, n, pieces)});
  }
  return pieces;
}

}  // namespace

std::vector<ReplyPiece> ReplySchedule(std::size_t replyBytes, const LinePace& pace) {
  // When the first `bytes` of the reply have crossed the wire.
  const auto wire = [&pace](std::size_t bytes) {
    return pace.byteTime * static_cast<nanoseconds::rep>(bytes);
  };
  using Before = const std::vector<ReplyPiece>&;
  if (pace.splitSize != 0) {
    return Pieces(replyBytes, pace.splitSize, [&](std::size_t end, std::size_t, Before before) {
      return kSplitGap * static_cast<nanoseconds::rep>(before.size()) + wire(end);
    });
  }
  if (pace.adapterLatency.count() > 0) {
    return Pieces(
        replyBytes, kUsbPacketPayload, [&](std::size_t end, std::size_t n, Before before) {
          if (n == kUsbPacketPayload) return wire(end);
          const nanoseconds timerStart = before.empty() ? nanoseconds{} : before.back().at;
          return std::max<nanoseconds>(timerStart + pace.adapterLatency, wire(end));
        });
  }
  const std::size_t size = pace.byteTime.count() > 0 ? kPacedPiece : replyBytes;
  return Pieces(replyBytes, size, [&](std::size_t end, std::size_t, Before) { return wire(end); });
}

}  // namespace Dexal
