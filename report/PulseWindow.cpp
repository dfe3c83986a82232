#include "report/PulseWindow.h"

#include <algorithm>
#include <cmath>

namespace Dexal {
namespace {

// The margin on each side of the pulse, as a share of its length, and at least this long.
constexpr double kMarginShare = 0.25;
constexpr double kMinimumMarginMs = 0.1;

}  // namespace

PulseWindow PulseWindowFromPoints(const std::vector<DexalCsvPoint>& points) {
  PulseWindow w;
  std::size_t lowest = 0, highest = 0;  // of the voltages
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double v = points[i].voltage;
    if (std::isnan(v) || !std::isfinite(points[i].timeMs)) continue;
    if (!w.found) {
      w.found = true;
      w.peak = lowest = highest = i;
      continue;
    }
    if (v < points[lowest].voltage) lowest = i;
    if (v > points[highest].voltage) highest = i;
    if (std::fabs(v) > std::fabs(points[w.peak].voltage)) w.peak = i;
  }
  if (!w.found) return w;
  const double band = std::fabs(points[w.peak].voltage) / 10.0;
  w.first = w.last = w.peak;
  double earliest = points[w.peak].timeMs;
  double latest = earliest;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!std::isfinite(points[i].timeMs)) continue;
    earliest = std::min(earliest, points[i].timeMs);
    latest = std::max(latest, points[i].timeMs);
    if (std::fabs(points[i].voltage) > band) {
      w.first = std::min(w.first, i);
      w.last = std::max(w.last, i);
    }
  }
  // Keep both extremes in view, wherever they lie.
  const std::size_t from = std::min({w.first, lowest, highest});
  const std::size_t to = std::max({w.last, lowest, highest});
  const double span = points[to].timeMs - points[from].timeMs;
  const double margin = std::max(span * kMarginShare, kMinimumMarginMs);
  w.startMs = std::max(points[from].timeMs - margin, earliest);
  w.endMs = std::min(points[to].timeMs + margin, latest);
  if (!(w.endMs > w.startMs)) w.endMs = w.startMs + kMinimumMarginMs;
  return w;
}

}  // namespace Dexal
