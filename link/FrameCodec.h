#pragma once

#include <cstddef>
#include <cstdint>

#include "link/ByteVector.h"
#include "link/Crc32.h"

namespace Dexal {

constexpr std::uint8_t kFrameStart = 0xFA;
constexpr std::uint8_t kFrameEnd = 0xFB;
constexpr std::uint8_t kFrameEscape = 0xFC;
constexpr std::size_t kMaxFrameData = 4104;

// The most a frame of `dataBytes` takes on the wire: the markers, and every byte between them
// (two length bytes, the data, four CRC bytes) escaped.
constexpr std::size_t MaxEncodedFrameSize(std::size_t dataBytes) {
  return 1 + 2 * (2 + dataBytes + 4) + 1;
}

// The whole frame as it goes on the wire: markers, escaped length, data and CRC.
ByteVector EncodeFrame(const ByteVector& data);

// Byte-at-a-time receiver of frames. A frame that fails (bad CRC, bad escape, length out of
// range, stray byte after the CRC) is discarded with everything gathered for it.
class FrameReceiver {
 public:
  // True when this byte completed a valid frame; Data() then holds its data bytes.
  bool Feed(std::uint8_t byte);

  [[nodiscard]] const ByteVector& Data() const { return data_; }
  ByteVector& MutableData() { return data_; }

 private:
  enum class State { Idle, Length, Data, Crc, Complete };

  void Drop();

  State state_ = State::Idle;
  bool escape_ = false;
  std::uint32_t crc_ = kCrcInitial;
  std::uint32_t length_ = 0;
  std::size_t lengthBytes_ = 0;
  std::size_t crcBytes_ = 0;
  ByteVector data_;
};

}  // namespace Dexal
