#pragma once

#include <string>

namespace Dexal {

// Cell texts for the numeric CSV columns. A NaN or an infinity gives an empty cell in every
// format, and so does a value the two integer formats cannot hold in 32 bits.

// Fixed-point with `digits` (0, 1 or 2) after the point, nearest, an exact tie away from zero.
std::string FormatFixed(double value, int digits);

// Adds 0.5 and drops the fraction (truncation toward zero): -2.7 gives -2.
std::string FormatIntegerAddHalf(double value);

// Adds 0.5 to a positive value and subtracts 0.5 otherwise, then drops the fraction: -2.7
// gives -3.
std::string FormatIntegerAwayFromZero(double value);

// Six significant digits, fixed notation for decimal exponents -4 to 5, exponent notation
// with at least two exponent digits otherwise; trailing zeros removed.
std::string FormatGeneral(double value);

// The double rounded to the nearest float, as a double; beyond the float range an infinity
// (which the formats then write as an empty cell).
double RoundToSingle(double value);

}  // namespace Dexal
