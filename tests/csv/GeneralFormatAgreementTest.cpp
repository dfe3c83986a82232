// The general number format of the graph lines against the standard library's own
// to_chars(general, 6), over the values a download writes and random values of every size.
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "csv/DexalNumberFormat.h"

namespace Dexal {
namespace {

std::string Library(double value) {
  std::array<char, 64> text{};
  const auto r =
      std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::general, 6);
  return std::string(text.data(), r.ptr);
}

int Disagreements(double value, int& checked) {
  ++checked;
  const bool same = FormatGeneral(value) == Library(value);
  EXPECT_TRUE(same) << "value " << value << " gives " << FormatGeneral(value) << ", not "
                    << Library(value);
  return same ? 0 : 1;
}

TEST(GeneralFormat, AgreesWithTheStandardLibraryOnGraphValues) {
  int checked = 0, wrong = 0;
  for (int i = 0; i < 31250 && wrong < 5; ++i) {
    wrong += Disagreements(static_cast<double>(i) * 4e-06 * 1000, checked);
  }
  for (const float scale : {0.001f, 0.0123f, 0.5f, 1.7f, 0.0000371f}) {
    for (int d = -32768; d < 32768 && wrong < 5; ++d) {
      const double volts = static_cast<double>(static_cast<float>(static_cast<float>(d) * scale));
      for (const double load : {50.0, 37.5}) {
        wrong += Disagreements(volts, checked) + Disagreements(volts / load, checked) +
                 Disagreements(volts * 1000.0, checked) +
                 Disagreements(volts / load * 1000.0, checked);
      }
    }
  }
  std::mt19937_64 random(2026);
  std::uniform_real_distribution<double> exponent(-7.0, 8.0);
  for (int i = 0; i < 400000 && wrong < 5; ++i) {
    const double value = std::pow(10.0, exponent(random)) * (i % 2 == 0 ? 1 : -1);
    wrong += Disagreements(value, checked);
  }
  for (const double value : {0.0, -0.0, 1e-4, 0.00009999995, 999999.5, 999999.49999, 123456.5,
                             0.1234565, 2.5, 1e5, 1e6}) {
    wrong += Disagreements(value, checked);
  }
  EXPECT_GT(checked, 2000000);
}

}  // namespace
}  // namespace Dexal
