#include "csv/NumberFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace Dexal {

namespace {

// Longest fixed text: 309 integer digits of DBL_MAX, sign, point, two decimals.
using FixedBuffer = std::array<char, 400>;

std::string ToChars(double value, std::chars_format format, int precision) {
  FixedBuffer buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
  if (result.ec != std::errc{}) return {};
  return std::string(buffer.data(), result.ptr);
}

// True when the exact binary value lies halfway between two neighbours with `digits`
// decimals. With value = m * 2^e (m odd), twice value * 10^digits = m * 5^digits *
// 2^(e + digits + 1), which is an odd integer exactly when e == -(digits + 1).
bool IsExactTie(double value, int digits) {
  if (value == 0.0) return false;
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1)
  auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;
  while ((mantissa & 1U) == 0U) {
    mantissa >>= 1U;
    ++exponent;
  }
  return exponent == -(digits + 1);
}

// Adds one unit in the last place to the digits of a non-negative decimal text
// ("0.2" -> "0.3", "9.9" -> "10.0", "99" -> "100"); a leading '-' is kept.
void IncrementMagnitude(std::string& text) {
  const std::size_t first = (!text.empty() && text.front() == '-') ? 1 : 0;
  for (std::size_t i = text.size(); i > first; --i) {
    char& c = text[i - 1];
    if (c == '.') continue;
    if (c != '9') {
      ++c;
      return;
    }
    c = '0';
  }
  text.insert(text.begin() + static_cast<std::ptrdiff_t>(first), '1');
}

std::string FormatTruncated(double shifted) {
  // The truncated value must fit a signed 32-bit integer.
  if (!(shifted > -2147483649.0 && shifted < 2147483648.0)) return {};
  return std::to_string(static_cast<std::int32_t>(shifted));
}

}  // namespace

std::string FormatFixed(double value, int digits) {
  if (!std::isfinite(value)) return {};
  if (!IsExactTie(value, digits)) return ToChars(value, std::chars_format::fixed, digits);
  // The tie prints exactly with one more digit, a final 5: drop it, then step away from zero.
  std::string text = ToChars(value, std::chars_format::fixed, digits + 1);
  text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  IncrementMagnitude(text);
  return text;
}

std::string FormatIntegerAddHalf(double value) {
  if (!std::isfinite(value)) return {};
  return FormatTruncated(value + 0.5);
}

std::string FormatIntegerAwayFromZero(double value) {
  if (!std::isfinite(value)) return {};
  return FormatTruncated(value > 0.0 ? value + 0.5 : value - 0.5);
}

std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return {};
  return ToChars(value, std::chars_format::general, 6);
}

double RoundToSingle(double value) {
  constexpr double floatMax = std::numeric_limits<float>::max();
  // Halfway between FLT_MAX and 2^128; from there on a float overflows to infinity.
  const double overflowFrom = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
  if (std::isnan(value)) return value;
  const double magnitude = std::fabs(value);
  if (magnitude >= overflowFrom)
    return std::copysign(std::numeric_limits<double>::infinity(), value);
  if (magnitude > floatMax) return std::copysign(floatMax, value);
  return static_cast<double>(static_cast<float>(value));
}

}  // namespace Dexal
