#include "report/PlotAxis.h"

#include <algorithm>
#include <cmath>

#include "report/ReportText.h"

namespace Dexal {
namespace {

// A round step: 1, 2 or 5 times ten to a power. Its multiples are made from whole numbers and
// exact powers of ten alone, so that they are the nearest doubles to the decimal values and
// come out the same with every C library.
struct Step {
  double mantissa = 1.0;
  int exponent = 0;

  [[nodiscard]] double Times(double k) const {
    double power = 1.0;
    for (int i = 0; i < std::abs(exponent); ++i) power *= 10.0;
    return exponent >= 0 ? k * mantissa * power : k * mantissa / power;
  }
};

// The smallest round step that is at least span / count.
Step RoundStep(double span, int count) {
  const double raw = span / std::max(count, 1);
  Step step{1.0, -20};
  while (step.Times(1) < raw * (1.0 - 1e-9) && step.exponent < 300) {
    if (step.mantissa == 1.0) {
      step.mantissa = 2.0;
    } else if (step.mantissa == 2.0) {
      step.mantissa = 5.0;
    } else {
      step.mantissa = 1.0;
      ++step.exponent;
    }
  }
  return step;
}

void AddTicks(PlotAxis& axis, const Step& step, double first, double last) {
  const auto count = static_cast<long long>(last - first);
  for (long long i = 0; i <= count; ++i) {
    axis.ticks.push_back(step.Times(first + static_cast<double>(i)));
  }
  axis.decimals = std::max(0, -step.exponent);
}

}  // namespace

PlotAxis RoundAxis(double low, double high, int count) {
  if (!(high > low)) {
    low -= 1.0;
    high += 1.0;
  }
  const Step step = RoundStep(high - low, count);
  const double first = std::floor(low / step.Times(1) + 1e-9);
  const double last = std::ceil(high / step.Times(1) - 1e-9);
  PlotAxis axis;
  axis.low = step.Times(first);
  axis.high = step.Times(last);
  AddTicks(axis, step, first, last);
  return axis;
}

PlotAxis RoundTicksWithin(double low, double high, int count) {
  if (!(high > low)) high = low + 1.0;
  const Step step = RoundStep(high - low, count);
  PlotAxis axis;
  axis.low = low;
  axis.high = high;
  AddTicks(axis, step, std::ceil(low / step.Times(1) - 1e-9),
           std::floor(high / step.Times(1) + 1e-9));
  return axis;
}

std::string TickText(const PlotAxis& axis, double value) { return FixedText(value, axis.decimals); }

}  // namespace Dexal
