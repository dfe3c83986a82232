#pragma once

#include <cstddef>
#include <vector>

#include "csv/DexalCSVreader.h"

namespace Dexal {

// Where a pulse lies in its capture. Its quiet band (within a tenth of the peak's magnitude
// around zero) gives the pulse width; the span a plot shows runs from where the trace leaves
// zero to where it has settled back, so that no trace is cut while it is still far from zero.
struct PulseWindow {
  bool found = false;      // false when no point has a voltage
  std::size_t peak = 0;    // index of the voltage of largest magnitude (the first of equals)
  std::size_t lowest = 0;  // indices of the lowest and highest voltage (the first of equals)
  std::size_t highest = 0;
  double quietBand = 0.0;  // a tenth of the peak's magnitude
  std::size_t first = 0;   // first and last index outside the quiet band: the pulse width
  std::size_t last = 0;
  double startMs = 0.0;  // the span shown, with a margin, and both extremes in it
  double endMs = 0.0;
};

PulseWindow PulseWindowFromPoints(const std::vector<DexalCsvPoint>& points);

}  // namespace Dexal
