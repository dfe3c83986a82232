#include "report/PulsePlot.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "report/PlotAxis.h"
#include "report/PlotLabels.h"
#include "report/PulseWindow.h"
#include "report/ReportText.h"

namespace Dexal {
namespace {

constexpr double kWidth = 680, kHeight = 300;
constexpr double kLeft = 64, kRight = 616, kTop = 42, kBottom = 250;
constexpr double kLegendBaseline = 32;
// The current's own panel, below the voltage's, where the current is not the voltage through
// the stated load.
constexpr double kPanelTop = 318, kPanelBottom = 430, kPanelHeight = 470;
constexpr int kColumns = static_cast<int>(kRight - kLeft);
constexpr double kFontSize = 11;
constexpr double kSampleMs = 0.004;
constexpr double kMarkerRadius = 4;

const char* const kVoltageColour = "#1f5fbf";
const char* const kCurrentColour = "#d2691e";
const char* const kMarkColour = "#c00";

struct Scale {
  double from, to, pixelFrom, pixelTo;
  [[nodiscard]] double operator()(double value) const {
    return pixelFrom + (value - from) / (to - from) * (pixelTo - pixelFrom);
  }
};

std::string Px(double value) { return FixedText(value, 1); }

// "Current (mA)" gives mA.
std::string UnitOf(const std::string& header) {
  const std::size_t open = header.find('(');
  const std::size_t close = header.find(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return "";
  return header.substr(open + 1, close - open - 1);
}

// The load the section states, in ohms, when it states one above zero.
std::optional<double> StatedLoad(const DexalCsvSection& section) {
  for (std::size_t i = 0; i < section.headers.size() && i < section.values.size(); ++i) {
    if (section.headers[i] != "NominalLoad") continue;
    const std::string& text = section.values[i];
    double ohms = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), ohms);
    if (result.ec == std::errc() && result.ptr == text.data() + text.size() && ohms > 0.0 &&
        std::isfinite(ohms)) {
      return ohms;
    }
  }
  return std::nullopt;
}

// The points of one curve inside the window, thinned to the lowest and highest of each pixel
// column, in file order.
std::vector<PlotPoint> Curve(const std::vector<DexalCsvPoint>& points, double DexalCsvPoint::*field,
                             const Scale& x, const Scale& y) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> low(kColumns, kNone), high(kColumns, kNone);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double t = points[i].timeMs, v = points[i].*field;
    if (!std::isfinite(v) || !(t >= x.from && t <= x.to)) continue;
    const int column = std::min(kColumns - 1, static_cast<int>(x(t) - kLeft));
    const auto c = static_cast<std::size_t>(std::max(0, column));
    if (low[c] == kNone || v < points[low[c]].*field) low[c] = i;
    if (high[c] == kNone || v > points[high[c]].*field) high[c] = i;
  }
  std::vector<PlotPoint> curve;
  const auto add = [&](std::size_t i) {
    curve.push_back({x(points[i].timeMs), y(points[i].*field)});
  };
  for (std::size_t c = 0; c < low.size(); ++c) {
    if (low[c] == kNone) continue;
    const std::size_t a = std::min(low[c], high[c]), b = std::max(low[c], high[c]);
    add(a);
    if (b != a) add(b);
  }
  return curve;
}

std::string Polyline(const char* cls, const char* colour, const std::vector<PlotPoint>& curve) {
  std::string svg = std::string("<polyline class=\"") + cls + "\" fill=\"none\" stroke=\"" +
                    colour + "\" stroke-width=\"1.5\" points=\"";
  svg.reserve(svg.size() + curve.size() * 12 + 8);
  for (std::size_t i = 0; i < curve.size(); ++i) {
    if (i > 0) svg += ' ';
    AppendFixedText(svg, curve[i].x, 1);
    svg += ',';
    AppendFixedText(svg, curve[i].y, 1);
  }
  return svg + "\"/>\n";
}

// The range of one curve inside the window.
bool RangeOf(const std::vector<DexalCsvPoint>& points, double DexalCsvPoint::*field, double from,
             double to, double& low, double& high) {
  bool any = false;
  for (const DexalCsvPoint& p : points) {
    const double v = p.*field;
    if (!std::isfinite(v) || !(p.timeMs >= from && p.timeMs <= to)) continue;
    low = any ? std::min(low, v) : v;
    high = any ? std::max(high, v) : v;
    any = true;
  }
  return any;
}

// How the current is shown. Into a resistive load it is the voltage over the load, and a line
// of its own would lie under the voltage line: then a right-hand axis reads the voltage line as
// current. Only a current that differs where a reader can see it gets a line, in its own panel.
enum class CurrentView { None, RightAxis, Panel };

CurrentView CurrentViewOf(const std::vector<DexalCsvPoint>& points, std::optional<double> load,
                          const Scale& yv) {
  bool any = false, differs = !load;
  const double pixelsPerUnit = std::fabs(yv(1.0) - yv(0.0));
  for (const DexalCsvPoint& p : points) {
    if (std::isnan(p.current) && std::isnan(p.voltage)) continue;
    any = any || std::isfinite(p.current);
    if (load && !(std::fabs(p.current * *load - p.voltage) * pixelsPerUnit <= 0.5)) differs = true;
  }
  if (!any) return CurrentView::None;
  return differs ? CurrentView::Panel : CurrentView::RightAxis;
}

void Text(std::string& svg, double x, double y, const char* anchor, const std::string& text,
          const std::string& extra = "") {
  svg += "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\"" + extra +
         ">" + HtmlEscaped(text) + "</text>\n";
}

void Line(std::string& svg, double x1, double y1, double x2, double y2, const char* stroke) {
  svg += "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) +
         "\" stroke=\"" + stroke + "\"/>\n";
}

std::string Fill(const char* colour) { return std::string(" fill=\"") + colour + "\""; }

// A panel's grid: a line at each time and value tick, the zero line darker. Drawn first, so
// that the axes lie on it.
void Grid(std::string& svg, const PlotAxis& time, const Scale& x, const PlotAxis& value,
          const Scale& y) {
  for (const double t : time.ticks) Line(svg, x(t), y.pixelTo, x(t), y.pixelFrom, "#e4e4e4");
  for (const double v : value.ticks) {
    Line(svg, kLeft, y(v), kRight, y(v), v == 0.0 ? "#999" : "#e4e4e4");
  }
}

// The time ticks under a panel.
void TimeAxis(std::string& svg, const PlotAxis& axis, const Scale& x, double bottom) {
  Line(svg, kLeft, bottom, kRight, bottom, "#444");
  for (const double t : axis.ticks) {
    Line(svg, x(t), bottom, x(t), bottom + 5, "#444");
    Text(svg, x(t), bottom + 17, "middle", TickText(axis, t), " class=\"ttick\"");
  }
  Text(svg, (kLeft + kRight) / 2, bottom + 36, "middle", "Time (ms)");
}

// A value axis with its ticks at `y(tick × factor)`, so that one line can be read on two axes.
void ValueAxis(std::string& svg, const PlotAxis& axis, const Scale& y, double factor, bool left,
               const std::string& title, const char* colour, const char* tickClass) {
  const double at = left ? kLeft : kRight;
  const double tick = left ? -5 : 5;
  Line(svg, at, y.pixelTo, at, y.pixelFrom, colour);
  for (const double v : axis.ticks) {
    const double py = y(v * factor);
    Line(svg, at, py, at + tick, py, colour);
    Text(svg, at + tick * 1.6, py + 4, left ? "end" : "start", TickText(axis, v),
         std::string(" class=\"") + tickClass + "\"" + Fill(colour));
  }
  const double titleX = left ? 16 : kWidth - 10;
  const double middle = (y.pixelFrom + y.pixelTo) / 2;
  Text(svg, titleX, middle, "middle", title,
       Fill(colour) + " transform=\"rotate(-90 " + Px(titleX) + " " + Px(middle) + ")\"");
}

// A legend entry for a line drawn in the plot; `line` is that polyline's class. Returns where
// the next entry may begin.
double LegendLine(std::string& svg, double x, const char* line, const char* colour,
                  const std::string& text) {
  svg += std::string("<g class=\"legend\" data-line=\"") + line + "\">\n";
  Line(svg, x, kLegendBaseline - 4, x + 20, kLegendBaseline - 4, colour);
  Text(svg, x + 24, kLegendBaseline, "start", text, Fill(colour));
  svg += "</g>\n";
  return x + 24 + TextWidth(text, kFontSize) + 18;
}

// Where a label may stand around a mark: first away from zero, then beside it, then towards
// zero, each at a few distances.
std::vector<LabelPlace> PlacesAround(const PlotPoint& at, bool aboveFirst) {
  const double away = aboveFirst ? -1.0 : 1.0;
  std::vector<LabelPlace> places;
  for (const double d : {7.0, 20.0, 36.0}) {
    for (const auto& [dx, dy] : {std::pair{0.0, away},
                                 {1.0, away},
                                 {-1.0, away},
                                 {1.0, 0.0},
                                 {-1.0, 0.0},
                                 {0.0, -away},
                                 {1.0, -away},
                                 {-1.0, -away}}) {
      places.push_back({at, dx * d, dy * d});
    }
  }
  return places;
}

// Where the width's label may stand: in the shaded span, from its top down, centred, at its
// left and at its right; then anywhere across the plot.
std::vector<LabelPlace> PlacesInSpan(double from, double to) {
  std::vector<LabelPlace> places;
  for (int row = 0; kTop + 4 + 14 * row < kBottom - 12; ++row) {
    const double y = kTop + 4 + 14 * row;
    places.push_back({{(from + to) / 2, y}, 0.0, 1.0});
    places.push_back({{from, y}, 4.0, 1.0});
    places.push_back({{to, y}, -4.0, 1.0});
  }
  for (int row = 0; kTop + 4 + 14 * row < kBottom - 12; ++row) {
    for (int column = 0; kLeft + 4 + 40 * column < kRight - 40; ++column) {
      places.push_back({{kLeft + 4 + 40 * column, kTop + 4 + 14 * row}, 1.0, 1.0});
    }
  }
  return places;
}

void Label(std::string& svg, const PlacedLabel& label, const char* colour) {
  Text(svg, label.box.left, label.baseline, "start", label.text, " class=\"label\"" + Fill(colour));
}

PlotBox MarkerBox(const PlotPoint& at) {
  const double r = kMarkerRadius + 1;
  return {at.x - r, at.y - r, at.x + r, at.y + r};
}

void Marker(std::string& svg, const char* cls, const PlotPoint& at) {
  svg += std::string("<circle class=\"") + cls + "\" cx=\"" + Px(at.x) + "\" cy=\"" + Px(at.y) +
         "\" r=\"4\" fill=\"none\" stroke=\"" + kMarkColour + "\" stroke-width=\"1.5\"/>\n";
}

}  // namespace

UntitledPlot DrawPulsePlot(const DexalCsvSection& section, const std::string& widthText,
                           bool standalone) {
  const auto& points = section.points;
  // A section with points has the three graph headers; they title the axes.
  const std::string& currentTitle = section.graphHeaders.at(1);
  const std::string& voltageTitle = section.graphHeaders.at(2);
  const PulseWindow window = PulseWindowFromPoints(points);

  const PlotAxis timeAxis = RoundTicksWithin(window.startMs, window.endMs, 8);
  const Scale x{window.startMs, window.endMs, kLeft, kRight};
  double vLow = 0, vHigh = 0;
  RangeOf(points, &DexalCsvPoint::voltage, x.from, x.to, vLow, vHigh);
  // Room beyond the extremes, away from zero, for the marks' labels.
  const double room = (vHigh - vLow) / 10;
  const PlotAxis voltageAxis =
      RoundAxis(vLow < 0 ? vLow - room : vLow, vHigh > 0 ? vHigh + room : vHigh, 5);
  const Scale yv{voltageAxis.low, voltageAxis.high, kBottom, kTop};
  const std::optional<double> load = StatedLoad(section);
  const CurrentView currentView =
      window.found ? CurrentViewOf(points, load, yv) : CurrentView::None;
  UntitledPlot plot;
  plot.height = static_cast<int>(currentView == CurrentView::Panel ? kPanelHeight : kHeight);
  plot.standalone = standalone;
  std::string& svg = plot.body;
  const double legendX = LegendLine(svg, kLeft, "voltage", kVoltageColour, "voltage");
  if (currentView == CurrentView::RightAxis) {
    Text(svg, legendX, kLegendBaseline, "start",
         "current = voltage / " + ShortestText(*load) + " \xCE\xA9, right-hand axis",
         Fill(kCurrentColour));
  } else if (currentView == CurrentView::Panel) {
    LegendLine(svg, legendX, "current", kCurrentColour, "current, lower panel");
  }
  if (!window.found) {
    Text(svg, (kLeft + kRight) / 2, (kTop + kBottom) / 2, "middle", "No voltage to draw");
    svg += "</svg>\n";
    return plot;
  }

  // The pulse width: from the first to the last sample outside the quiet band.
  const double widthFrom = x(points[window.first].timeMs);
  const double widthTo = std::min(x(points[window.last].timeMs + kSampleMs), kRight);
  svg += "<rect class=\"width\" x=\"" + Px(widthFrom) + "\" y=\"" + Px(kTop) + "\" width=\"" +
         Px(widthTo - widthFrom) + "\" height=\"" + Px(kBottom - kTop) + "\" fill=\"#fff2b3\"/>\n";
  Grid(svg, timeAxis, x, voltageAxis, yv);
  TimeAxis(svg, timeAxis, x, kBottom);
  ValueAxis(svg, voltageAxis, yv, 1.0, true, voltageTitle, kVoltageColour, "vtick");
  if (currentView == CurrentView::RightAxis) {
    const PlotAxis currentAxis =
        RoundTicksWithin(voltageAxis.low / *load, voltageAxis.high / *load, 5);
    ValueAxis(svg, currentAxis, yv, *load, false, currentTitle, kCurrentColour, "itick");
  }
  const std::vector<PlotPoint> voltage = Curve(points, &DexalCsvPoint::voltage, x, yv);
  svg += Polyline("voltage", kVoltageColour, voltage);

  // The peak, and the other phase's extreme where the pulse has one, marked and labelled.
  LabelPlacer labels({kLeft, kTop, kRight, kBottom}, kFontSize);
  labels.AvoidTrace(voltage);
  const std::string unit = " " + UnitOf(voltageTitle);
  const bool peakIsHighest = points[window.peak].voltage >= 0;
  const std::size_t other = peakIsHighest ? window.lowest : window.highest;
  const bool otherPhase = peakIsHighest ? points[other].voltage < -window.quietBand
                                        : points[other].voltage > window.quietBand;
  struct Mark {
    const char* cls;
    std::string text;
    std::size_t index;
  };
  std::vector<Mark> marks{{"peak", "peak ", window.peak}};
  if (otherPhase) marks.push_back({"other", peakIsHighest ? "lowest " : "highest ", other});
  for (const Mark& mark : marks) {
    const PlotPoint at{x(points[mark.index].timeMs), yv(points[mark.index].voltage)};
    Marker(svg, mark.cls, at);
    labels.AvoidBox(MarkerBox(at));
  }
  for (const Mark& mark : marks) {
    const DexalCsvPoint& p = points[mark.index];
    Label(svg,
          labels.Place(mark.text + ShortestText(p.voltage) + unit,
                       PlacesAround({x(p.timeMs), yv(p.voltage)}, p.voltage >= 0)),
          kMarkColour);
  }
  const std::string widthLabel =
      widthText.empty()
          ? FixedText(static_cast<double>(window.last - window.first + 1) * kSampleMs, 3) + " ms"
          : widthText;
  Label(svg, labels.Place("width " + widthLabel, PlacesInSpan(widthFrom, widthTo)), "#7a6000");

  if (currentView == CurrentView::Panel) {
    double iLow = 0, iHigh = 0;
    RangeOf(points, &DexalCsvPoint::current, x.from, x.to, iLow, iHigh);
    const PlotAxis currentAxis = RoundAxis(iLow, iHigh, 4);
    const Scale yi{currentAxis.low, currentAxis.high, kPanelBottom, kPanelTop};
    Grid(svg, timeAxis, x, currentAxis, yi);
    TimeAxis(svg, timeAxis, x, kPanelBottom);
    ValueAxis(svg, currentAxis, yi, 1.0, true, currentTitle, kCurrentColour, "itick");
    svg += Polyline("current", kCurrentColour, Curve(points, &DexalCsvPoint::current, x, yi));
  }
  svg += "</svg>\n";
  return plot;
}

std::string TitledPlot(const UntitledPlot& plot, const std::string& title) {
  const std::string height = std::to_string(plot.height);
  std::string svg;
  svg.reserve(plot.body.size() + 512);
  if (plot.standalone) svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"plot\" viewBox=\"0 0 680 " + height +
         "\" width=\"680\" height=\"" + height +
         "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"11\">\n<title>" +
         HtmlEscaped(title) + "</title>\n";
  if (plot.standalone) {
    svg += "<rect width=\"680\" height=\"" + height + "\" fill=\"#fff\"/>\n";
  }
  Text(svg, kLeft, 16, "start", title, " font-weight=\"bold\"");
  return svg += plot.body;
}

}  // namespace Dexal
