#pragma once

#include <cstddef>
#include <vector>

#include "csv/DexalCSVreader.h"

namespace Dexal {

// Where a pulse lies in its capture: the samples outside its quiet band (within a tenth of the
// peak's magnitude around zero) and the time span a plot shows.
struct PulseWindow {
  bool found = false;     // false when no point has a voltage
  std::size_t peak = 0;   // index of the voltage of largest magnitude (the first of equals)
  std::size_t first = 0;  // first and last index outside the quiet band: the pulse width
  std::size_t last = 0;
  double startMs = 0.0;  // the span shown: the pulse with a margin, and both extremes
  double endMs = 0.0;
};

PulseWindow PulseWindowFromPoints(const std::vector<DexalCsvPoint>& points);

}  // namespace Dexal
