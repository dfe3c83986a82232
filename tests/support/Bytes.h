#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/ByteVector.h"

namespace Dexal::testing {

// Little-endian words into and out of byte vectors.
void PutWord(ByteVector& out, std::uint16_t value);
std::uint16_t GetWord(const ByteVector& in, std::size_t at);
std::uint32_t GetLong(const ByteVector& in, std::size_t at);

// "7E 01 ff" (spaces optional) as bytes; throws std::invalid_argument on anything else.
ByteVector BytesFromHex(const std::string& hex);

}  // namespace Dexal::testing
