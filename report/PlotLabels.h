#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Dexal {

// A point and a box in a plot's pixels, y downwards.
struct PlotPoint {
  double x = 0.0;
  double y = 0.0;
};

struct PlotBox {
  double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
};

// How wide a line of UTF-8 text is drawn at `fontSize` pixels: DejaVu Sans' advances, rounded
// up, so that the narrower fonts a browser may take instead fit as well.
double TextWidth(std::string_view text, double fontSize);

// How far below its baseline a line of text's box reaches, in em (DejaVu Sans).
inline constexpr double kTextDescent = 0.24;

// Where a label may stand: beside `at`, its box to the right of it (dx > 0), to the left
// (dx < 0) or centred on it (dx == 0) by |dx| pixels, and below it (dy > 0), above (dy < 0)
// or centred (dy == 0) likewise.
struct LabelPlace {
  PlotPoint at;
  double dx = 0.0;
  double dy = 0.0;
};

// A label as placed: its text drawn from its box's left edge on `baseline`.
struct PlacedLabel {
  std::string text;
  double baseline = 0.0;
  PlotBox box;
  bool clear = false;  // false when every place touched the trace or another label
};

// Places labels one after another inside the plot area, each clear of the traces, of the
// boxes it was told to avoid and of the labels placed before it.
class LabelPlacer {
 public:
  LabelPlacer(const PlotBox& area, double fontSize);

  void AvoidTrace(const std::vector<PlotPoint>& polyline);
  void AvoidBox(const PlotBox& box);

  // The first of the places where the label is clear; when none is, the one that touches
  // least. The label's box is avoided from then on.
  PlacedLabel Place(const std::string& text, const std::vector<LabelPlace>& places);

 private:
  [[nodiscard]] int Collisions(const PlotBox& box) const;

  PlotBox area_;
  double fontSize_;
  std::vector<std::vector<PlotPoint>> traces_;
  std::vector<PlotBox> boxes_;
};

}  // namespace Dexal
