#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "link/ByteVector.h"
#include "link/FrameCodec.h"
#include "tester/TesterCore.h"

namespace Dexal {

// The frame of a request as the downloader sends it.
inline ByteVector RequestFrame(std::uint16_t sequence, std::uint16_t code,
                               const ByteVector& payload = {}) {
  ByteVector data{static_cast<std::uint8_t>(sequence & 0xFF),
                  static_cast<std::uint8_t>(sequence >> 8), static_cast<std::uint8_t>(code & 0xFF),
                  static_cast<std::uint8_t>(code >> 8)};
  data.insert(data.end(), payload.begin(), payload.end());
  return EncodeFrame(data);
}

inline ByteVector U32Bytes(std::initializer_list<std::uint32_t> values) {
  ByteVector out;
  for (std::uint32_t v : values) {
    for (int shift = 0; shift < 32; shift += 8)
      out.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  return out;
}

// The data of the first valid frame in the bytes, if any.
inline std::optional<ByteVector> FrameData(const ByteVector& bytes) {
  FrameReceiver receiver;
  for (std::uint8_t b : bytes) {
    if (receiver.Feed(b)) return receiver.Data();
  }
  return std::nullopt;
}

inline std::uint16_t U16(const ByteVector& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

inline std::uint32_t U32(const ByteVector& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(U16(bytes, at)) | static_cast<std::uint32_t>(U16(bytes, at + 2))
                                                          << 16;
}

// One request through the core; the reply's frame data (nullopt when no valid frame came).
inline std::optional<ByteVector> Exchange(TesterCore& core, std::uint16_t sequence,
                                          std::uint16_t code, const ByteVector& payload = {}) {
  const auto plans = core.Feed(RequestFrame(sequence, code, payload));
  if (plans.size() != 1) return std::nullopt;
  return FrameData(plans[0].bytes);
}

}  // namespace Dexal
