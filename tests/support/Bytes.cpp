#include "tests/support/Bytes.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace Dexal::testing {

void PutLE(ByteVector& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t GetLE(const ByteVector& in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | in.at(at + static_cast<std::size_t>(i));
  return value;
}

ByteVector BytesFromHex(const std::string& hex) {
  ByteVector out;
  std::string digits;
  for (char c : hex) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      throw std::invalid_argument("not a hex digit in \"" + hex + "\"");
    }
    digits += c;
  }
  if (digits.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits: " + hex);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::string HexFromBytes(const ByteVector& bytes) {
  std::string out;
  char two[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    if (!out.empty()) out += ' ';
    out += two;
  }
  return out;
}

}  // namespace Dexal::testing
