#include "report/PlotLabels.h"

#include <algorithm>
#include <limits>

namespace Dexal {
namespace {

// DejaVu Sans: a line's box reaches 0.93 em above the baseline, and kTextDescent below it.
constexpr double kAscent = 0.93;
constexpr double kLineHeight = 1.17;  // kAscent + kTextDescent
// Space kept between a label and anything else.
constexpr double kClearance = 2.0;

// Advance widths in em, from DejaVu Sans and rounded up; other characters count a whole em.
double AsciiWidth(char c) {
  if (c >= '0' && c <= '9') return 0.64;
  if (c == 'i' || c == 'j' || c == 'l' || c == 'I' || c == 'J') return 0.30;
  if (c == 'f' || c == 'r' || c == 't') return 0.40;
  if (c == 'm' || c == 'W') return 0.99;
  if (c == 'M' || c == 'w') return 0.87;
  if (c >= 'a' && c <= 'z') return 0.64;
  if (c >= 'A' && c <= 'Z') return 0.79;
  switch (c) {
    case ' ':
    case '.':
    case ',':
    case ':':
    case ';':
    case '\'':
    case '!':
    case '|':
      return 0.33;
    case '-':
    case '(':
    case ')':
    case '/':
    case '[':
    case ']':
      return 0.40;
    default:
      return 0.84;
  }
}

// Whether the segment from a to b passes through the box (Liang-Barsky clipping).
bool SegmentCrosses(const PlotPoint& a, const PlotPoint& b, const PlotBox& box) {
  double enter = 0.0, leave = 1.0;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double p[] = {-dx, dx, -dy, dy};
  const double q[] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
    } else {
      const double t = q[i] / p[i];
      if (p[i] < 0.0) {
        enter = std::max(enter, t);
      } else {
        leave = std::min(leave, t);
      }
    }
  }
  return enter <= leave;
}

bool Overlap(const PlotBox& a, const PlotBox& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

PlotBox Grown(const PlotBox& box, double by) {
  return {box.left - by, box.top - by, box.right + by, box.bottom + by};
}

}  // namespace

double TextWidth(std::string_view text, double fontSize) {
  double em = 0.0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      em += AsciiWidth(c);
    } else if (byte >= 0xC0) {  // the first byte of a character; the rest add nothing
      em += 1.0;
    }
  }
  return em * fontSize;
}

LabelPlacer::LabelPlacer(const PlotBox& area, double fontSize) : area_(area), fontSize_(fontSize) {}

void LabelPlacer::AvoidTrace(const std::vector<PlotPoint>& polyline) {
  traces_.push_back(polyline);
}

void LabelPlacer::AvoidBox(const PlotBox& box) { boxes_.push_back(box); }

int LabelPlacer::Collisions(const PlotBox& box) const {
  // A label that leaves the plot area is worse than one that touches the trace.
  constexpr int kOutside = 1000, kOnLabel = 100;
  if (box.left < area_.left || box.right > area_.right || box.top < area_.top ||
      box.bottom > area_.bottom) {
    return kOutside;
  }
  const PlotBox kept = Grown(box, kClearance);
  int count = 0;
  for (const PlotBox& other : boxes_) count += Overlap(kept, other) ? kOnLabel : 0;
  for (const auto& trace : traces_) {
    for (std::size_t i = 0; i < trace.size(); ++i) {
      const PlotPoint& a = trace[i];
      const PlotPoint& b = i + 1 < trace.size() ? trace[i + 1] : a;
      count += SegmentCrosses(a, b, kept) ? 1 : 0;
    }
  }
  return count;
}

PlacedLabel LabelPlacer::Place(const std::string& text, const std::vector<LabelPlace>& places) {
  const double width = TextWidth(text, fontSize_), height = kLineHeight * fontSize_;
  PlacedLabel best;
  best.text = text;
  int fewest = std::numeric_limits<int>::max();
  for (const LabelPlace& place : places) {
    const double left = place.dx > 0.0   ? place.at.x + place.dx
                        : place.dx < 0.0 ? place.at.x + place.dx - width
                                         : place.at.x - width / 2.0;
    const double top = place.dy > 0.0   ? place.at.y + place.dy
                       : place.dy < 0.0 ? place.at.y + place.dy - height
                                        : place.at.y - height / 2.0;
    const PlotBox box{left, top, left + width, top + height};
    const int collisions = Collisions(box);
    if (collisions < fewest) {
      fewest = collisions;
      best.box = box;
      best.baseline = top + kAscent * fontSize_;
      best.clear = collisions == 0;
      if (best.clear) break;
    }
  }
  boxes_.push_back(best.box);
  return best;
}

}  // namespace Dexal
