#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace Dexal {

// The number formats of the CSV cells. A value that has no text in a format (NaN, infinity,
// or outside the 32-bit range of the integer formats) gives an empty cell.

// Fixed-point with `digits` (0 to 2) decimals; the last digit rounded to nearest, an exact tie
// of the binary value away from zero.
void AppendFixed(std::string& out, double value, int digits);
std::string FormatFixed(double value, int digits);

// Adds 0.5 and drops the fraction (so -2.7 gives -2).
void AppendIntegerAddHalf(std::string& out, double value);
std::string FormatIntegerAddHalf(double value);

// Adds 0.5 to a positive value, subtracts it otherwise, then drops the fraction.
void AppendIntegerAwayFromZero(std::string& out, double value);
std::string FormatIntegerAwayFromZero(double value);

// Six significant digits, fixed notation for decimal exponents -4 to 5, otherwise exponent
// notation with at least two exponent digits; trailing zeros removed.
void AppendGeneral(std::string& out, double value);
// The same written at `first`, which has room for kGeneralTextSize characters; returns the end.
constexpr std::size_t kGeneralTextSize = 32;
char* WriteGeneral(char* first, double value);
std::string FormatGeneral(double value);

// The whole text read as a finite decimal number such as -12, 0.50 or 1e-05; nothing for any
// other text, the empty text included.
std::optional<double> NumberFromText(std::string_view text);

}  // namespace Dexal
