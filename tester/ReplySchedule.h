#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace Dexal {

// How the emulated line carries a reply to the downloader.
struct LinePace {
  std::chrono::nanoseconds byteTime{0};         // a byte's time on the wire; 0: unpaced
  std::chrono::milliseconds adapterLatency{0};  // the USB adapter's latency timer; 0: no adapter
  std::size_t splitSize = 0;                    // a fault: writes of this many bytes, 2 ms apart
};

// One write of a reply: `bytes` bytes from offset `from`, `at` after the reply's first bit.
struct ReplyPiece {
  std::size_t from = 0;
  std::size_t bytes = 0;
  std::chrono::nanoseconds at{0};
};

// The writes that bring a reply of `replyBytes` bytes:
// - split by a fault: pieces of splitSize, each 2 ms after the one before plus its wire time;
// - through an adapter: its USB packets. The chip sends a packet when it holds 62 payload
//   bytes, the moment the last of them is in from the line; a packet that is not full it sends
//   when its latency timer fires. The timer starts again whenever a packet leaves, and stood
//   just started when the reply's first bit came: so the last packet of a reply waits the whole
//   latency after the full packet before it left (or after the reply began), the longest a real
//   chip, whose timer also runs between replies, keeps it. The packet goes no earlier than its
//   last byte is in (at 921600 baud 62 bytes take 0.67 ms, less than any timer of 1 ms or more);
// - otherwise paced: 64-byte pieces as their last byte would have crossed the wire;
// - unpaced: the whole reply at once.
std::vector<ReplyPiece> ReplySchedule(std::size_t replyBytes, const LinePace& pace);

}  // namespace Dexal
