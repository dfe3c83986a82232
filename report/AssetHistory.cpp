#include "report/AssetHistory.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "csv/DexalNumberFormat.h"
#include "report/PlotAxis.h"
#include "report/PlotLabels.h"
#include "report/ReportText.h"

namespace Dexal {

const char* const kHistoryStyle = R"(
.history { margin: 6px 0 10px; }
.history table { font-size: 9pt; }
.history svg { display: block; width: 100%; height: auto; max-width: 560px; margin: 6px 0; }
.history .drift { color: #b00000; font-weight: bold; }
.history .rule { color: #444; font-weight: normal; }
@media print { .history svg { max-width: 130mm; break-inside: avoid; } }
)";

namespace {

// A key measurement: its header in the file, its name in the history, and its limit if a
// standard gives one.
struct KeyMeasurement {
  const char* header;
  const char* name;
  const char* unit;
  std::optional<double> limit;
};

constexpr double kChargeLimit = 15.0;  // s
constexpr double kSyncLimit = 60.0;    // ms
constexpr double kDriftRise = 1.25;    // a quarter over the first

const std::array<KeyMeasurement, 7> kKeys = {{
    {"Defib Energy (J)", "Delivered energy", "J", std::nullopt},
    {"Defib Peak Current (A)", "Peak current", "A", std::nullopt},
    {"DefibChargeTime", "Charge time", "s", kChargeLimit},
    {"Synch Time (ms)", "Sync time", "ms", kSyncLimit},
    {"Pacer Pulse Rate (ppm)", "Pacer rate", "ppm", std::nullopt},
    {"Pacer Pulse Peak Current (mA)", "Pacer current", "mA", std::nullopt},
    {"Pacer Pulse Width (ms)", "Pacer width", "ms", std::nullopt},
}};

const char* const kLimitsTable =
    "<table class=\"limits\">\n<tr><th>Limit</th><th>Applies to</th><th>Source</th></tr>\n"
    "<tr><td>Charge time at most 15 s</td><td>a charge to maximum energy</td><td>IEC 60601-2-4, "
    "the usual acceptance limit</td></tr>\n"
    "<tr><td>Sync time at most 60 ms</td><td>a synchronised shock, after the R wave</td>"
    "<td>IEC 60601-2-4, the usual acceptance limit</td></tr>\n</table>\n";

const char* const kDriftRule =
    "Rule: the latest charge time at or over its 15 s limit, or risen by a quarter or more over "
    "the first recorded one.";

std::string Day(const ReportResult& r) { return r.date.substr(0, 10); }

const ReportMeasurement* Find(const ReportResult& r, const char* header) {
  for (const ReportMeasurement& m : r.measurements) {
    if (m.header() == header) return &m;
  }
  return nullptr;
}

std::optional<double> Value(const ReportResult& r, const char* header) {
  const ReportMeasurement* m = Find(r, header);
  if (m == nullptr || !m->isNumber) return std::nullopt;
  return NumberFromText(m->value);
}

std::vector<const ReportResult*> ByDate(std::vector<const ReportResult*> results) {
  std::stable_sort(results.begin(), results.end(),
                   [](const ReportResult* a, const ReportResult* b) { return a->date < b->date; });
  return results;
}

// Days since 1970-01-01 of "YYYY-MM-DD", for the plot's time axis; nothing for another text.
std::optional<double> DayNumber(const std::string& day) {
  const auto y = NumberFromText(day.substr(0, 4)), m = NumberFromText(day.substr(5, 2)),
             d = NumberFromText(day.substr(8, 2));
  if (day.size() != 10 || !y || !m || !d) return std::nullopt;
  const int month = static_cast<int>(*m);
  const int year = static_cast<int>(*y) - (month <= 2 ? 1 : 0);
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + static_cast<int>(*d) - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097.0 + dayOfEra - 719468.0;
}

struct TrendPoint {
  double day;
  double value;
  std::string label;
};

std::string Px(double v) { return FixedText(v, 1); }

constexpr double kFontSize = 11;
constexpr double kPointRadius = 3;
// DejaVu Sans Bold against the regular advances that TextWidth counts.
constexpr double kBoldWidth = 1.2;

// Where the limit's label may stand, always beside its line: above it, then below it, flush
// with the line's right end, then at its left end, then over the middle of each gap between
// two dates, the widest first.
std::vector<LabelPlace> PlacesBesideLimit(double left, double right, double lineY,
                                          const std::vector<PlotPoint>& drawn) {
  // Above: the baseline 4 px over the line; below: the box's top 3 px under it.
  const double above = -(4 - kTextDescent * kFontSize), below = 3;
  // Where along the line, and the label's box left of it (dx < 0), right of it or centred.
  std::vector<std::pair<double, double>> along{{right + 1, -1}, {left, 4}};
  std::vector<std::pair<double, double>> gaps;  // width, middle
  for (std::size_t i = 0; i + 1 < drawn.size(); ++i) {
    gaps.emplace_back(drawn[i + 1].x - drawn[i].x, (drawn[i].x + drawn[i + 1].x) / 2);
  }
  std::stable_sort(gaps.begin(), gaps.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [width, middle] : gaps) along.emplace_back(middle, 0);
  std::vector<LabelPlace> places;
  for (const auto& [x, dx] : along) {
    places.push_back({{x, lineY}, dx, above});
    places.push_back({{x, lineY}, dx, below});
  }
  return places;
}

// Value against date, with the limit line where there is one.
std::string TrendSvg(const KeyMeasurement& key, const std::string& testType,
                     const std::vector<TrendPoint>& points) {
  constexpr double kLeft = 64, kRight = 600, kTop = 30, kBottom = 130, kTitleBaseline = 16;
  double low = points.front().value, high = low;
  for (const TrendPoint& p : points) {
    low = std::min(low, p.value);
    high = std::max(high, p.value);
  }
  if (key.limit) {
    low = std::min(low, *key.limit);
    high = std::max(high, *key.limit);
  }
  const PlotAxis axis = RoundAxis(std::min(low, 0.0), high, 4);
  const double first = points.front().day, last = points.back().day;
  const auto x = [&](double day) {
    return kLeft + (day - first) / (last - first) * (kRight - kLeft);
  };
  const auto y = [&](double v) {
    return kBottom - (v - axis.low) / (axis.high - axis.low) * (kBottom - kTop);
  };
  const std::string title = std::string(key.name) + " (" + key.unit + "), " + testType;
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"trend\" viewBox=\"0 0 680 "
      "156\" role=\"img\" aria-label=\"" +
      HtmlEscaped(title) +
      " by date\" font-family=\"DejaVu Sans, Arial, sans-serif\" "
      "font-size=\"11\">\n<text x=\"" +
      Px(kLeft) + "\" y=\"" + ShortestText(kTitleBaseline) + "\" font-weight=\"bold\">" +
      HtmlEscaped(title) + "</text>\n";
  for (const double tick : axis.ticks) {
    svg += "<line x1=\"" + Px(kLeft) + "\" x2=\"" + Px(kRight) + "\" y1=\"" + Px(y(tick)) +
           "\" y2=\"" + Px(y(tick)) + "\" stroke=\"#ddd\"/>\n<text x=\"" + Px(kLeft - 6) +
           "\" y=\"" + Px(y(tick) + 4) + "\" text-anchor=\"end\" class=\"ytick\">" +
           TickText(axis, tick) + "</text>\n";
  }
  for (const TrendPoint& p : points) {
    // Low enough to keep clear of the lowest value's tick beside the first date.
    svg += "<text x=\"" + Px(x(p.day)) + "\" y=\"" + Px(kBottom + 18) +
           "\" text-anchor=\"middle\" class=\"xtick\">" + p.label + "</text>\n";
  }
  std::vector<PlotPoint> drawn;
  std::string line;
  for (const TrendPoint& p : points) {
    drawn.push_back({x(p.day), y(p.value)});
    line += (line.empty() ? "" : " ") + Px(x(p.day)) + "," + Px(y(p.value));
  }
  if (key.limit) {
    // The label clear of the values' line and points, and of the title over the plot.
    LabelPlacer labels({kLeft, 0, kRight, kBottom}, kFontSize);
    labels.AvoidTrace(drawn);
    for (const PlotPoint& at : drawn) {
      const double r = kPointRadius + 1;
      labels.AvoidBox({at.x - r, at.y - r, at.x + r, at.y + r});
    }
    labels.AvoidBox({kLeft, kTitleBaseline - kFontSize,
                     kLeft + TextWidth(title, kFontSize) * kBoldWidth,
                     kTitleBaseline + kTextDescent * kFontSize});
    const double lineY = y(*key.limit);
    const PlacedLabel label =
        labels.Place("limit " + ShortestText(*key.limit) + " " + key.unit + ", IEC 60601-2-4",
                     PlacesBesideLimit(kLeft, kRight, lineY, drawn));
    // Drawn from the side of its box that stands at the line's end, or from its middle: the
    // box is wide enough for any font the browser may take.
    const bool atRight = label.box.right >= kRight, atLeft = label.box.left <= kLeft + 4;
    const double textX = atRight  ? label.box.right
                         : atLeft ? label.box.left
                                  : (label.box.left + label.box.right) / 2;
    svg += "<line class=\"limit\" x1=\"" + Px(kLeft) + "\" x2=\"" + Px(kRight) + "\" y1=\"" +
           Px(lineY) + "\" y2=\"" + Px(lineY) +
           "\" stroke=\"#c00\" stroke-dasharray=\"6 4\"/>\n<text x=\"" + Px(textX) + "\" y=\"" +
           Px(label.baseline) + "\" text-anchor=\"" +
           (atRight  ? "end"
            : atLeft ? "start"
                     : "middle") +
           "\" fill=\"#c00\" class=\"limit\">" + HtmlEscaped(label.text) + "</text>\n";
  }
  svg +=
      "<polyline class=\"values\" fill=\"none\" stroke=\"#1f5fbf\" stroke-width=\"1.5\" "
      "points=\"" +
      line + "\"/>\n";
  for (const TrendPoint& p : points) {
    svg += "<circle cx=\"" + Px(x(p.day)) + "\" cy=\"" + Px(y(p.value)) + "\" r=\"" +
           ShortestText(kPointRadius) + "\" fill=\"#1f5fbf\"/>\n";
  }
  return svg + "</svg>\n";
}

std::string ValueText(const ReportResult& r, const KeyMeasurement& key) {
  const ReportMeasurement* m = Find(r, key.header);
  if (m == nullptr) return "";
  return HtmlEscaped(m->value) + (m->unit().empty() ? "" : "&nbsp;" + HtmlEscaped(m->unit()));
}

}  // namespace

std::size_t TestDays(const std::vector<const ReportResult*>& results) {
  std::set<std::string> days;
  for (const ReportResult* r : results) days.insert(Day(*r));
  return days.size();
}

std::string DriftNote(const std::vector<const ReportResult*>& results) {
  std::vector<double> charges;
  for (const ReportResult* r : ByDate(results)) {
    if (const auto v = Value(*r, "DefibChargeTime")) charges.push_back(*v);
  }
  if (charges.empty()) return "";
  const double latest = charges.back(), first = charges.front();
  if (latest >= kChargeLimit) {
    return "Charge time " + ShortestText(latest) + " s, at or over its 15 s limit";
  }
  if (charges.size() > 1 && first > 0 && latest >= first * kDriftRise) {
    return "Charge time " + ShortestText(latest) +
           " s, risen by a quarter or more over the first (" + ShortestText(first) + " s)";
  }
  return "";
}

std::string AssetHistoryHtml(const ReportAsset& asset,
                             const std::vector<const ReportResult*>& inFileOrder) {
  if (asset.days < 2) return "";
  const std::vector<const ReportResult*> results = ByDate(inFileOrder);
  std::string html = "<section class=\"history\">\n<h3>History</h3>\n";
  if (!asset.drift.empty()) {
    html += "<p class=\"drift\">Drift: " + HtmlEscaped(asset.drift) + ". <span class=\"rule\">" +
            kDriftRule + "</span></p>\n";
  }
  // The key measurements that the asset's results hold.
  std::vector<const KeyMeasurement*> keys;
  for (const KeyMeasurement& key : kKeys) {
    if (std::any_of(results.begin(), results.end(),
                    [&](const ReportResult* r) { return Find(*r, key.header) != nullptr; })) {
      keys.push_back(&key);
    }
  }
  html += "<table>\n<tr><th>Date</th><th>Test type</th><th>Status</th>";
  for (const KeyMeasurement* key : keys) html += std::string("<th>") + key->name + "</th>";
  html += "<th>Source</th></tr>\n";
  for (const ReportResult* r : results) {
    html += "<tr><td>" + HtmlEscaped(r->date) + "</td><td>" + HtmlEscaped(r->testType) +
            "</td><td>" + HtmlEscaped(r->status.text) + "</td>";
    for (const KeyMeasurement* key : keys) html += "<td>" + ValueText(*r, *key) + "</td>";
    html += "<td>" + HtmlEscaped(r->source + ":" + std::to_string(r->line)) + "</td></tr>\n";
  }
  html += "</table>\n";
  bool limited = false;            // a measurement that a limit applies to
  std::vector<std::string> types;  // in order of first appearance
  for (const ReportResult* r : results) {
    if (std::find(types.begin(), types.end(), r->testType) == types.end()) {
      types.push_back(r->testType);
    }
  }
  // One plot per measurement of a test type: a charge test's energy is not a sync test's.
  for (const std::string& type : types) {
    for (const KeyMeasurement& key : kKeys) {
      std::vector<TrendPoint> points;
      for (const ReportResult* r : results) {
        const auto value = Value(*r, key.header);
        const auto day = DayNumber(Day(*r));
        if (r->testType != type || !value || !day) continue;
        points.push_back({*day, *value, HtmlEscaped(Day(*r))});
        limited = limited || key.limit.has_value();
      }
      if (points.size() > 1 && points.back().day > points.front().day) {
        html += TrendSvg(key, type, points);
      }
    }
  }
  return html + (limited ? kLimitsTable : "") + "</section>\n";
}

}  // namespace Dexal
