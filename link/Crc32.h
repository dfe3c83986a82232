#pragma once

#include <cstddef>
#include <cstdint>

namespace Dexal {

// CRC-32/JAMCRC: reflected CRC-32, register starts at 0xFFFFFFFF, no final inversion.
constexpr std::uint32_t kCrcInitial = 0xFFFFFFFFu;

std::uint32_t CrcUpdate(std::uint32_t crc, std::uint8_t byte);
std::uint32_t CrcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace Dexal
