#pragma once

#include <string>
#include <vector>

namespace Dexal {

// An axis over round numbers: ticks every 1, 2 or 5 times a power of ten.
struct PlotAxis {
  double low = 0.0;  // the axis' ends, on ticks when made by RoundAxis
  double high = 1.0;
  std::vector<double> ticks;
  int decimals = 0;  // enough to tell the ticks apart
};

// An axis from `low` to `high` stretched out to the round ticks around them, with about
// `count` intervals. A range of no width is widened by one unit around its value.
PlotAxis RoundAxis(double low, double high, int count);

// Round ticks inside [low, high] without stretching the ends (for the zoomed time axis).
PlotAxis RoundTicksWithin(double low, double high, int count);

// A tick's text: its value with the axis' decimals.
std::string TickText(const PlotAxis& axis, double value);

}  // namespace Dexal
