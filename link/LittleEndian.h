#pragma once

#include <cstddef>
#include <cstdint>

#include "link/ByteVector.h"

namespace Dexal {

// Numbers on the wire and in stored results are little-endian. Callers check the bounds.
template <class T>
T LittleEndianAt(const ByteVector& bytes, std::size_t at) {
  T value = 0;
  for (std::size_t i = sizeof(T); i-- > 0;) value = static_cast<T>((value << 8) | bytes[at + i]);
  return value;
}

template <class T>
void StoreLittleEndian(ByteVector& out, std::size_t at, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

template <class T>
void AppendLittleEndian(ByteVector& out, T value) {
  out.resize(out.size() + sizeof(T));
  StoreLittleEndian(out, out.size() - sizeof(T), value);
}

inline std::uint16_t WordAt(const ByteVector& bytes, std::size_t at) {
  return LittleEndianAt<std::uint16_t>(bytes, at);
}
inline std::uint32_t LongAt(const ByteVector& bytes, std::size_t at) {
  return LittleEndianAt<std::uint32_t>(bytes, at);
}
inline void AppendWord(ByteVector& out, std::uint16_t value) { AppendLittleEndian(out, value); }
inline void AppendLong(ByteVector& out, std::uint32_t value) { AppendLittleEndian(out, value); }
inline void StoreWord(ByteVector& out, std::size_t at, std::uint16_t value) {
  StoreLittleEndian(out, at, value);
}
inline void StoreLong(ByteVector& out, std::size_t at, std::uint32_t value) {
  StoreLittleEndian(out, at, value);
}

}  // namespace Dexal
