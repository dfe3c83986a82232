#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/ByteVector.h"

namespace Dexal::testing {

// Little-endian values into and out of byte vectors.
void PutLE(ByteVector& out, std::uint64_t value, int bytes);
inline void PutWord(ByteVector& out, std::uint16_t value) { PutLE(out, value, 2); }
inline void PutLong(ByteVector& out, std::uint32_t value) { PutLE(out, value, 4); }
std::uint64_t GetLE(const ByteVector& in, std::size_t at, int bytes);
inline std::uint16_t GetWord(const ByteVector& in, std::size_t at) {
  return static_cast<std::uint16_t>(GetLE(in, at, 2));
}
inline std::uint32_t GetLong(const ByteVector& in, std::size_t at) {
  return static_cast<std::uint32_t>(GetLE(in, at, 4));
}

// "7E 01 ff" (spaces optional) as bytes; throws std::invalid_argument on anything else.
ByteVector BytesFromHex(const std::string& hex);
std::string HexFromBytes(const ByteVector& bytes);

}  // namespace Dexal::testing
