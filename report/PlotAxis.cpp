#include "report/PlotAxis.h"

#include <algorithm>
#include <cmath>

#include "report/ReportText.h"

namespace Dexal {
namespace {

// The round step (1, 2 or 5 times a power of ten) nearest above span / count.
double RoundStep(double span, int count, int& decimals) {
  const double raw = span / std::max(count, 1);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power * 10.0;
  for (const double m : {1.0, 2.0, 5.0}) {
    if (power * m >= raw * (1.0 - 1e-9)) {
      step = power * m;
      break;
    }
  }
  decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  return step;
}

void AddTicks(PlotAxis& axis, double step) {
  const double first = std::ceil(axis.low / step - 1e-9);
  const double last = std::floor(axis.high / step + 1e-9);
  for (double k = first; k <= last; k += 1.0) axis.ticks.push_back(k * step);
}

}  // namespace

PlotAxis RoundAxis(double low, double high, int count) {
  if (!(high > low)) {
    low -= 1.0;
    high += 1.0;
  }
  PlotAxis axis;
  const double step = RoundStep(high - low, count, axis.decimals);
  axis.low = std::floor(low / step + 1e-9) * step;
  axis.high = std::ceil(high / step - 1e-9) * step;
  AddTicks(axis, step);
  return axis;
}

PlotAxis RoundTicksWithin(double low, double high, int count) {
  if (!(high > low)) high = low + 1.0;
  PlotAxis axis;
  axis.low = low;
  axis.high = high;
  AddTicks(axis, RoundStep(high - low, count, axis.decimals));
  return axis;
}

std::string TickText(const PlotAxis& axis, double value) { return FixedText(value, axis.decimals); }

}  // namespace Dexal
