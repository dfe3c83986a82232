#include "report/PulsePlot.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "report/PlotAxis.h"
#include "report/PulseWindow.h"
#include "report/ReportText.h"

namespace Dexal {
namespace {

constexpr double kWidth = 680;  // and 300 high
constexpr double kLeft = 64, kRight = 616, kTop = 36, kBottom = 250;
constexpr int kColumns = static_cast<int>(kRight - kLeft);
constexpr double kSampleMs = 0.004;

const char* const kVoltageColour = "#1f5fbf";
const char* const kCurrentColour = "#d2691e";

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

// The points of one curve inside the window, thinned to the lowest and highest of each pixel
// column, in file order, as an SVG points list.
std::string CurvePoints(const std::vector<DexalCsvPoint>& points, double DexalCsvPoint::*field,
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
  std::string out;
  const auto add = [&](std::size_t i) {
    if (!out.empty()) out += ' ';
    out += Px(x(points[i].timeMs));
    out += ',';
    out += Px(y(points[i].*field));
  };
  for (std::size_t c = 0; c < low.size(); ++c) {
    if (low[c] == kNone) continue;
    const std::size_t a = std::min(low[c], high[c]), b = std::max(low[c], high[c]);
    add(a);
    if (b != a) add(b);
  }
  return out;
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

void Text(std::string& svg, double x, double y, const char* anchor, const std::string& text,
          const std::string& extra = "") {
  svg += "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + anchor + "\"" + extra +
         ">" + HtmlEscaped(text) + "</text>\n";
}

void Line(std::string& svg, double x1, double y1, double x2, double y2, const char* stroke) {
  svg += "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) +
         "\" stroke=\"" + stroke + "\"/>\n";
}

void TimeAxis(std::string& svg, const PlotAxis& axis, const Scale& x) {
  Line(svg, kLeft, kBottom, kRight, kBottom, "#444");
  for (const double t : axis.ticks) {
    Line(svg, x(t), kBottom, x(t), kBottom + 5, "#444");
    Text(svg, x(t), kBottom + 17, "middle", TickText(axis, t));
  }
  Text(svg, (kLeft + kRight) / 2, kBottom + 36, "middle", "Time (ms)");
}

void ValueAxis(std::string& svg, const PlotAxis& axis, const Scale& y, bool left,
               const std::string& title, const char* colour, const char* tickClass) {
  const double at = left ? kLeft : kRight;
  const double tick = left ? -5 : 5;
  Line(svg, at, kTop, at, kBottom, colour);
  for (const double v : axis.ticks) {
    if (left) Line(svg, kLeft, y(v), kRight, y(v), v == 0.0 ? "#999" : "#e4e4e4");
    Line(svg, at, y(v), at + tick, y(v), colour);
    Text(svg, at + tick * 1.6, y(v) + 4, left ? "end" : "start", TickText(axis, v),
         std::string(" class=\"") + tickClass + "\" fill=\"" + colour + "\"");
  }
  const double titleX = left ? 16 : kWidth - 10;
  Text(svg, titleX, (kTop + kBottom) / 2, "middle", title,
       " fill=\"" + std::string(colour) + "\" transform=\"rotate(-90 " + Px(titleX) + " " +
           Px((kTop + kBottom) / 2) + ")\"");
}

void Legend(std::string& svg) {
  Line(svg, 430, 12, 450, 12, kVoltageColour);
  Text(svg, 454, 16, "start", "voltage", std::string(" fill=\"") + kVoltageColour + "\"");
  svg += "<line x1=\"520\" y1=\"12\" x2=\"540\" y2=\"12\" stroke=\"" + std::string(kCurrentColour) +
         "\" stroke-dasharray=\"4 3\"/>\n";
  Text(svg, 544, 16, "start", "current", std::string(" fill=\"") + kCurrentColour + "\"");
}

}  // namespace

std::string PulsePlotSvg(const DexalCsvSection& section, const PulsePlotText& text,
                         bool standalone) {
  const auto& points = section.points;
  // A section with points has the three graph headers; they title the axes.
  const std::string& currentTitle = section.graphHeaders.at(1);
  const std::string& voltageTitle = section.graphHeaders.at(2);
  const PulseWindow window = PulseWindowFromPoints(points);

  std::string svg;
  if (standalone) svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg +=
      "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"plot\" viewBox=\"0 0 680 300\" "
      "width=\"680\" height=\"300\" font-family=\"DejaVu Sans, Arial, sans-serif\" "
      "font-size=\"11\">\n<title>" +
      HtmlEscaped(text.title) + "</title>\n";
  if (standalone) svg += "<rect width=\"680\" height=\"300\" fill=\"#fff\"/>\n";
  Text(svg, kLeft, 16, "start", text.title, " font-weight=\"bold\"");
  Legend(svg);
  if (!window.found) {
    Text(svg, (kLeft + kRight) / 2, (kTop + kBottom) / 2, "middle", "No voltage to draw");
    return svg + "</svg>\n";
  }

  const PlotAxis timeAxis = RoundTicksWithin(window.startMs, window.endMs, 8);
  const Scale x{window.startMs, window.endMs, kLeft, kRight};
  double vLow = 0, vHigh = 0, iLow = 0, iHigh = 0;
  RangeOf(points, &DexalCsvPoint::voltage, x.from, x.to, vLow, vHigh);
  const bool hasCurrent = RangeOf(points, &DexalCsvPoint::current, x.from, x.to, iLow, iHigh);
  const PlotAxis voltageAxis = RoundAxis(vLow, vHigh, 5);
  const Scale yv{voltageAxis.low, voltageAxis.high, kBottom, kTop};

  // The pulse width: from the first to the last sample outside the quiet band.
  const double widthFrom = x(points[window.first].timeMs);
  const double widthTo = x(points[window.last].timeMs + kSampleMs);
  svg += "<rect class=\"width\" x=\"" + Px(widthFrom) + "\" y=\"" + Px(kTop) + "\" width=\"" +
         Px(std::min(widthTo, kRight) - widthFrom) + "\" height=\"" + Px(kBottom - kTop) +
         "\" fill=\"#fff2b3\"/>\n";
  const std::string widthLabel =
      text.widthLabel.empty()
          ? FixedText(static_cast<double>(window.last - window.first + 1) * kSampleMs, 3) + " ms"
          : text.widthLabel;
  Text(svg, (widthFrom + std::min(widthTo, kRight)) / 2, kTop + 12, "middle", "width " + widthLabel,
       " fill=\"#7a6000\"");

  ValueAxis(svg, voltageAxis, yv, true, voltageTitle, kVoltageColour, "vtick");
  TimeAxis(svg, timeAxis, x);
  if (hasCurrent) {
    const PlotAxis currentAxis = RoundAxis(iLow, iHigh, 5);
    const Scale yi{currentAxis.low, currentAxis.high, kBottom, kTop};
    ValueAxis(svg, currentAxis, yi, false, currentTitle, kCurrentColour, "itick");
    svg += "<polyline class=\"current\" fill=\"none\" stroke=\"" + std::string(kCurrentColour) +
           "\" stroke-width=\"1\" stroke-dasharray=\"4 3\" points=\"" +
           CurvePoints(points, &DexalCsvPoint::current, x, yi) + "\"/>\n";
  }
  svg += "<polyline class=\"voltage\" fill=\"none\" stroke=\"" + std::string(kVoltageColour) +
         "\" stroke-width=\"1.5\" points=\"" + CurvePoints(points, &DexalCsvPoint::voltage, x, yv) +
         "\"/>\n";

  const DexalCsvPoint& peak = points[window.peak];
  const double px = x(peak.timeMs), py = yv(peak.voltage);
  svg += "<circle class=\"peak\" cx=\"" + Px(px) + "\" cy=\"" + Px(py) +
         "\" r=\"4\" fill=\"none\" stroke=\"#c00\" stroke-width=\"1.5\"/>\n";
  const bool rightSide = px < (kLeft + kRight) / 2;
  Text(svg, px + (rightSide ? 8 : -8), py + (peak.voltage >= 0 ? 4 : -2),
       rightSide ? "start" : "end",
       "peak " + ShortestText(peak.voltage) + " " + UnitOf(voltageTitle), " fill=\"#c00\"");
  return svg + "</svg>\n";
}

}  // namespace Dexal
