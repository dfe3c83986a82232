#include "csv/DexalNumberFormat.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace Dexal {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A float field widened the way the writer widens it.
double Widened(float value) { return static_cast<double>(value); }

struct FixedCase {
  double value;
  int digits;
  const char* expected;
};

class FixedFormat : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedFormat, RoundsToNearestWithExactTiesAwayFromZero) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(FormatFixed(c.value, c.digits), c.expected) << c.value << " in fixed " << c.digits;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FixedFormat,
    ::testing::Values(FixedCase{12.345, 1, "12.3"},  // the double lies below the tie
                      FixedCase{0.5, 2, "0.50"}, FixedCase{249.6, 0, "250"},
                      FixedCase{0.25, 1, "0.3"},  // exact tie: half-even would give 0.2
                      FixedCase{0.0, 0, "0"}, FixedCase{0.0, 1, "0.0"}, FixedCase{7.0, 2, "7.00"},
                      FixedCase{0.04, 1, "0.0"}));

INSTANTIATE_TEST_SUITE_P(ExactTies, FixedFormat,
                         ::testing::Values(FixedCase{2.5, 0, "3"}, FixedCase{0.5, 0, "1"},
                                           FixedCase{1.5, 0, "2"}, FixedCase{-2.5, 0, "-3"},
                                           FixedCase{-0.5, 0, "-1"}, FixedCase{0.125, 2, "0.13"},
                                           FixedCase{-0.125, 2, "-0.13"},
                                           FixedCase{0.375, 2, "0.38"}, FixedCase{0.625, 2, "0.63"},
                                           FixedCase{-0.25, 1, "-0.3"}, FixedCase{0.75, 1, "0.8"},
                                           FixedCase{1000000.5, 0, "1000001"},
                                           FixedCase{4503599627370495.5, 0, "4503599627370496"}));

INSTANTIATE_TEST_SUITE_P(
    NearTies, FixedFormat,
    ::testing::Values(FixedCase{0.15, 1, "0.1"},    // 0.1499999999999999944...
                      FixedCase{2.675, 2, "2.67"},  // 2.67499999999999982236...
                      FixedCase{1.005, 2, "1.00"},  // 1.00499999999999989342...
                      FixedCase{0.35, 1, "0.3"},    // 0.34999999999999997780...
                      FixedCase{0.45, 1, "0.5"},    // 0.45000000000000001110...
                      FixedCase{0.125000001, 2, "0.13"}, FixedCase{0.124999999, 2, "0.12"},
                      FixedCase{-12.345, 1, "-12.3"}, FixedCase{-0.04, 1, "-0.0"},
                      FixedCase{1e20, 0, "100000000000000000000"}));

// A float that is widened keeps its own binary value, which may lie on the other side of the
// tie than the double with the same decimal spelling.
INSTANTIATE_TEST_SUITE_P(WidenedFloats, FixedFormat,
                         ::testing::Values(FixedCase{Widened(0.15f), 1, "0.2"},  // 0.15000000596...
                                           FixedCase{Widened(0.35f), 1, "0.3"},  // 0.34999999403...
                                           FixedCase{Widened(0.25f), 1,
                                                     "0.3"},  // exact tie survives widening
                                           FixedCase{Widened(72.45f), 1, "72.4"},  // 72.44999694...
                                           FixedCase{72.45, 1, "72.5"},  // 72.45000000000000284...
                                           FixedCase{Widened(0.0001234f) * 1000.0, 2, "0.12"},
                                           FixedCase{Widened(0.0025f) * 1000.0, 2, "2.50"}));

TEST(FixedFormat, NonFiniteValuesGiveAnEmptyCell) {
  for (int digits = 0; digits <= 2; ++digits) {
    EXPECT_EQ(FormatFixed(kNaN, digits), "");
    EXPECT_EQ(FormatFixed(kInf, digits), "");
    EXPECT_EQ(FormatFixed(-kInf, digits), "");
  }
}

TEST(FixedFormat, AppendsAfterExistingText) {
  std::string out = "a,";
  AppendFixed(out, 0.25, 1);
  AppendFixed(out, kNaN, 1);
  EXPECT_EQ(out, "a,0.3");
}

struct IntegerCase {
  double value;
  const char* expected;
};

class AddHalfFormat : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(AddHalfFormat, AddsHalfAndTruncates) {
  EXPECT_EQ(FormatIntegerAddHalf(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, AddHalfFormat,
    ::testing::Values(IntegerCase{12.5, "13"}, IntegerCase{12.49, "12"},
                      IntegerCase{-2.7, "-2"},  // not -3: the sum -2.2 is truncated
                      IntegerCase{-0.2, "0"}, IntegerCase{-800.4, "-799"}, IntegerCase{0.0, "0"},
                      IntegerCase{-0.5, "0"}, IntegerCase{-0.6, "0"}, IntegerCase{-1.5, "-1"},
                      IntegerCase{1500.0, "1500"}, IntegerCase{Widened(-2.7f), "-2"}));

INSTANTIATE_TEST_SUITE_P(Int32Range, AddHalfFormat,
                         ::testing::Values(IntegerCase{2147483647.0, "2147483647"},
                                           IntegerCase{2147483646.6, "2147483647"},
                                           IntegerCase{2147483647.5, ""},
                                           IntegerCase{-2147483649.0, "-2147483648"},
                                           IntegerCase{-2147483650.0, ""}, IntegerCase{1e300, ""},
                                           IntegerCase{kNaN, ""}, IntegerCase{kInf, ""},
                                           IntegerCase{-kInf, ""}));

class AwayFromZeroFormat : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(AwayFromZeroFormat, RoundsHalfAwayFromZero) {
  EXPECT_EQ(FormatIntegerAwayFromZero(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Examples, AwayFromZeroFormat,
                         ::testing::Values(IntegerCase{12.5, "13"}, IntegerCase{-2.7, "-3"},
                                           IntegerCase{-2.5, "-3"}, IntegerCase{0.0, "0"},
                                           IntegerCase{-0.0, "0"}, IntegerCase{0.4, "0"},
                                           IntegerCase{-0.4, "0"}, IntegerCase{2.4, "2"},
                                           IntegerCase{-2.4, "-2"},
                                           IntegerCase{Widened(-0.0027f) * 1000.0, "-3"},
                                           IntegerCase{Widened(-800.4f), "-800"}));

INSTANTIATE_TEST_SUITE_P(Int32Range, AwayFromZeroFormat,
                         ::testing::Values(IntegerCase{2147483647.4, "2147483647"},
                                           IntegerCase{2147483647.5, ""},
                                           IntegerCase{-2147483648.4, "-2147483648"},
                                           IntegerCase{-2147483648.5, ""}, IntegerCase{kNaN, ""},
                                           IntegerCase{-kInf, ""}));

class GeneralFormat : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(GeneralFormat, SixSignificantDigits) {
  EXPECT_EQ(FormatGeneral(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, GeneralFormat,
    ::testing::Values(IntegerCase{0.004, "0.004"}, IntegerCase{1234.5678, "1234.57"},
                      IntegerCase{100.0, "100"}, IntegerCase{30.0, "30"},
                      IntegerCase{1500.0 / 50.0, "30"}, IntegerCase{0.5 / 50.0 * 1000.0, "10"},
                      IntegerCase{0.0, "0"}, IntegerCase{-1.5, "-1.5"},
                      IntegerCase{3 * 0.004, "0.012"}, IntegerCase{Widened(0.1f), "0.1"},
                      IntegerCase{Widened(3.3f), "3.3"}));

INSTANTIATE_TEST_SUITE_P(
    NotationSwitch, GeneralFormat,
    ::testing::Values(IntegerCase{0.0001, "0.0001"}, IntegerCase{0.00001, "1e-05"},
                      IntegerCase{0.00012345678, "0.000123457"},
                      IntegerCase{0.000099999999, "0.0001"},  // rounding lifts the exponent
                      IntegerCase{123456.0, "123456"}, IntegerCase{1234567.0, "1.23457e+06"},
                      IntegerCase{999999.5, "1e+06"}, IntegerCase{-2.5e-7, "-2.5e-07"},
                      IntegerCase{1e100, "1e+100"}, IntegerCase{kNaN, ""}, IntegerCase{kInf, ""}));

}  // namespace
}  // namespace Dexal
