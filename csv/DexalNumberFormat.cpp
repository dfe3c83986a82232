#include "csv/DexalNumberFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace Dexal {
namespace {

// Large enough for any double in fixed notation with two decimals.
using Buffer = std::array<char, 400>;

void AppendChars(std::string& out, char* first, std::to_chars_result result) {
  if (result.ec == std::errc()) out.append(first, static_cast<std::size_t>(result.ptr - first));
}

// True when value * 10^digits lies exactly halfway between two integers. A double is such a
// tie only if value * 2^(digits+1) is an odd integer: value * 10^digits is then that integer
// times 5^digits / 2.
bool IsExactTie(double value, int digits) {
  const double scaled = std::ldexp(std::fabs(value), digits + 1);
  if (!(scaled < 0x1p53)) return false;  // already an even integer (or not finite)
  return std::trunc(scaled) == scaled && std::fmod(scaled, 2.0) == 1.0;
}

void AppendTieAwayFromZero(std::string& out, double value, int digits) {
  // |value| * 10^digits is exact here (the tie test bounds it well below 2^53); the next
  // integer up is the rounded magnitude.
  double power = 1.0;
  for (int i = 0; i < digits; ++i) power *= 10.0;
  const auto magnitude = static_cast<std::uint64_t>(std::floor(std::fabs(value) * power)) + 1u;
  Buffer digitsText{};
  const auto result =
      std::to_chars(digitsText.data(), digitsText.data() + digitsText.size(), magnitude);
  std::string text(digitsText.data(), result.ptr);
  const auto width = static_cast<std::size_t>(digits) + 1;
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  if (value < 0) out.push_back('-');
  out.append(text, 0, text.size() - static_cast<std::size_t>(digits));
  if (digits > 0) {
    out.push_back('.');
    out.append(text, text.size() - static_cast<std::size_t>(digits));
  }
}

bool FitsInt32(double truncated) {
  return truncated >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
         truncated <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

void AppendInt32(std::string& out, double truncated) {
  if (!FitsInt32(truncated)) return;  // NaN fails the comparisons too
  Buffer buffer{};
  AppendChars(out, buffer.data(),
              std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                            static_cast<std::int32_t>(truncated)));
}

// Six significant digits in fixed notation, for magnitudes from 1e-4 to below 999999.5, where
// the general format uses fixed notation: the graph lines' numbers, a million a download. It
// writes the bytes to_chars writes, and leaves to it (returns null) every value whose sixth
// digit lies too near a tie to be sure of, and the rest of the range.
char* WriteGeneralFixed(char* p, double value) {
  static constexpr std::array<double, 10> kPowers = {1e0, 1e1, 1e2, 1e3, 1e4,
                                                     1e5, 1e6, 1e7, 1e8, 1e9};
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-4 && magnitude < 999999.5)) return nullptr;
  // kPowers[index] * 1e-4 is about the power of ten of the leading digit, 1e-4 to 1e5.
  std::size_t index = 9;
  while (index > 0 && magnitude < kPowers[index] * 1e-4) --index;
  const int exponent = static_cast<int>(index) - 4;
  // Exact powers up to 1e9, so the product is off by half an ulp at most, far below the margin.
  const double scaled = magnitude * kPowers[static_cast<std::size_t>(5 - exponent)];
  const double floor = std::floor(scaled);
  if (std::fabs(scaled - floor - 0.5) < 1e-6) return nullptr;
  const auto digits = static_cast<std::uint32_t>(floor) + (scaled - floor > 0.5 ? 1u : 0u);
  if (digits < 100000u || digits > 999999u) return nullptr;
  std::array<char, 6> text{};
  std::uint32_t rest = digits;
  for (std::size_t i = text.size(); i-- > 0; rest /= 10) {
    text[i] = static_cast<char>('0' + rest % 10);
  }
  std::size_t used = text.size();
  while (used > 0 && text[used - 1] == '0') --used;
  if (value < 0) *p++ = '-';
  if (exponent >= 0) {
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    for (std::size_t i = 0; i < whole; ++i) *p++ = text[i];
    if (used > whole) {
      *p++ = '.';
      for (std::size_t i = whole; i < used; ++i) *p++ = text[i];
    }
  } else {
    *p++ = '0';
    *p++ = '.';
    for (int i = -1; i > exponent; --i) *p++ = '0';
    for (std::size_t i = 0; i < used; ++i) *p++ = text[i];
  }
  return p;
}

}  // namespace

void AppendFixed(std::string& out, double value, int digits) {
  if (!std::isfinite(value)) return;
  if (IsExactTie(value, digits)) {
    AppendTieAwayFromZero(out, value, digits);
    return;
  }
  Buffer buffer{};
  AppendChars(out, buffer.data(),
              std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                            std::chars_format::fixed, digits));
}

void AppendIntegerAddHalf(std::string& out, double value) {
  AppendInt32(out, std::trunc(value + 0.5));
}

void AppendIntegerAwayFromZero(std::string& out, double value) {
  AppendInt32(out, std::trunc(value > 0 ? value + 0.5 : value - 0.5));
}

char* WriteGeneral(char* first, double value) {
  if (value == 0.0) {
    if (std::signbit(value)) *first++ = '-';
    *first++ = '0';
    return first;
  }
  if (char* end = WriteGeneralFixed(first, value)) return end;
  if (!std::isfinite(value)) return first;
  const auto result =
      std::to_chars(first, first + kGeneralTextSize, value, std::chars_format::general, 6);
  return result.ec == std::errc() ? result.ptr : first;
}

void AppendGeneral(std::string& out, double value) {
  std::array<char, kGeneralTextSize> text{};
  out.append(text.data(), WriteGeneral(text.data(), value));
}

std::string FormatFixed(double value, int digits) {
  std::string out;
  AppendFixed(out, value, digits);
  return out;
}

std::string FormatIntegerAddHalf(double value) {
  std::string out;
  AppendIntegerAddHalf(out, value);
  return out;
}

std::string FormatIntegerAwayFromZero(double value) {
  std::string out;
  AppendIntegerAwayFromZero(out, value);
  return out;
}

std::string FormatGeneral(double value) {
  std::string out;
  AppendGeneral(out, value);
  return out;
}

std::optional<double> NumberFromText(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace Dexal
