#include "report/PulseWindow.h"

#include <algorithm>
#include <cmath>

namespace Dexal {
namespace {

// A trace within a hundredth of the peak of zero lies within a pixel or two of the zero line of
// a plot about as high as the peak: it reads as settled there.
constexpr double kSettledShare = 0.01;
// The margin on each side of the pulse, as a share of its length, and at least this long.
constexpr double kMarginShare = 0.25;
constexpr double kMinimumMarginMs = 0.1;

}  // namespace

PulseWindow PulseWindowFromPoints(const std::vector<DexalCsvPoint>& points) {
  PulseWindow w;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double v = points[i].voltage;
    if (std::isnan(v) || !std::isfinite(points[i].timeMs)) continue;
    if (!w.found) {
      w.found = true;
      w.peak = w.lowest = w.highest = i;
      continue;
    }
    if (v < points[w.lowest].voltage) w.lowest = i;
    if (v > points[w.highest].voltage) w.highest = i;
    if (std::fabs(v) > std::fabs(points[w.peak].voltage)) w.peak = i;
  }
  if (!w.found) return w;
  const double peak = std::fabs(points[w.peak].voltage);
  w.quietBand = peak / 10.0;
  w.first = w.last = w.peak;
  std::size_t leaves = w.peak;
  std::size_t settles = leaves;
  double earliest = points[w.peak].timeMs;
  double latest = earliest;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!std::isfinite(points[i].timeMs)) continue;
    earliest = std::min(earliest, points[i].timeMs);
    latest = std::max(latest, points[i].timeMs);
    const double magnitude = std::fabs(points[i].voltage);
    if (magnitude > w.quietBand) {
      w.first = std::min(w.first, i);
      w.last = std::max(w.last, i);
    }
    if (magnitude > peak * kSettledShare) {
      leaves = std::min(leaves, i);
      settles = std::max(settles, i);
    }
  }
  const std::size_t from = std::min({leaves, w.lowest, w.highest});
  const std::size_t to = std::max({settles, w.lowest, w.highest});
  const double span = points[to].timeMs - points[from].timeMs;
  const double margin = std::max(span * kMarginShare, kMinimumMarginMs);
  w.startMs = std::max(points[from].timeMs - margin, earliest);
  w.endMs = std::min(points[to].timeMs + margin, latest);
  if (!(w.endMs > w.startMs)) w.endMs = w.startMs + kMinimumMarginMs;
  return w;
}

}  // namespace Dexal
