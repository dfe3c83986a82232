#include "tests/support/Bytes.h"

#include <cctype>
#include <stdexcept>

namespace Dexal::testing {

void PutWord(ByteVector& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::uint16_t GetWord(const ByteVector& in, std::size_t at) {
  return static_cast<std::uint16_t>(in.at(at) | in.at(at + 1) << 8);
}

std::uint32_t GetLong(const ByteVector& in, std::size_t at) {
  return GetWord(in, at) | std::uint32_t{GetWord(in, at + 2)} << 16;
}

ByteVector BytesFromHex(const std::string& hex) {
  std::string digits;
  for (char c : hex) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      throw std::invalid_argument("not a hex digit in \"" + hex + "\"");
    }
    digits += c;
  }
  if (digits.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits: " + hex);
  ByteVector out;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

}  // namespace Dexal::testing
