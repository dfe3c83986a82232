"""Plots checked as a reader sees them. Every plot: no label lies on another text, on a line
or on a mark (boxes as the browser lays the text out), a limit's label stands beside its limit
line. Pulse plots besides, each against the graph lines of its CSV section: every legend entry's
line can be told from every other line, no text lies on another, the trace is not cut while far
from zero, the extremes are labelled with their values, and grid lines stand at the time ticks."""

import html
import math
import os
import re

# A point of one line within this many pixels of another line lies under it.
UNDER = 1.0
# A line that a legend names must differ from every other line in at least this share of its
# points.
DIFFERING_SHARE = 0.1
# A limit's label stands no farther than this from its line, above or below it.
BESIDE = 8.0

# Written into the page that holds the plots: each text's box, in the plot's own pixels (the
# viewBox's: a plot may be drawn wider or narrower than that), rotated titles included.
BOX_SCRIPT = """
for (const svg of document.querySelectorAll("svg.plot, svg.trend")) {
  const origin = svg.getBoundingClientRect();
  const scale = svg.viewBox.baseVal.width / origin.width;
  for (const text of svg.querySelectorAll("text")) {
    const r = text.getBoundingClientRect();
    text.setAttribute("data-box", [r.left - origin.left, r.top - origin.top, r.right - origin.left,
                                   r.bottom - origin.top].map(v => v * scale).join(" "));
  }
}
"""


def attrs(tag):
    return dict((k, html.unescape(v)) for k, v in re.findall(r'([\w-]+)="([^"]*)"', tag))


def polylines(svg):
    lines = {}
    for tag in re.findall(r"<polyline[^>]*>", svg):
        a = attrs(tag)
        lines[a.get("class", "")] = [tuple(float(c) for c in p.split(","))
                                     for p in a["points"].split()]
    return lines


def texts(svg):
    """(class, text, box) of every text, the box as (left, top, right, bottom)."""
    found = []
    for tag, body in re.findall(r"(<text[^>]*>)(.*?)</text>", svg, re.S):
        a = attrs(tag)
        found.append((a.get("class", ""), html.unescape(body),
                      tuple(float(v) for v in a["data-box"].split())))
    return found


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def on_segment_samples(line):
    """Points along the line at most half a pixel apart."""
    for (x0, y0), (x1, y1) in zip(line, line[1:]):
        steps = max(1, int(math.hypot(x1 - x0, y1 - y0) * 2))
        for i in range(steps + 1):
            yield x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps


def share_apart(line, other):
    """The share of line's points farther than UNDER from every part of other."""
    columns = {}
    for (x0, y0), (x1, y1) in zip(other, other[1:]):
        for c in range(int(min(x0, x1)) - 1, int(max(x0, x1)) + 2):
            columns.setdefault(c, []).append((x0, y0, x1, y1))

    def distance(px, py, x0, y0, x1, y1):
        dx, dy = x1 - x0, y1 - y0
        t = 0 if dx == dy == 0 else max(0, min(1, ((px - x0) * dx + (py - y0) * dy) /
                                            (dx * dx + dy * dy)))
        return math.hypot(px - x0 - t * dx, py - y0 - t * dy)

    apart = sum(1 for px, py in line
                if all(distance(px, py, *s) > UNDER for s in columns.get(int(px), [])))
    return apart / len(line)


def axis_reader(svg, cls, offset):
    """A function from pixels to values, read through two tick labels of class cls; offset
    takes a label's position to its tick's."""
    ticks = [(float(a["x"]), float(a["y"]), float(body)) for tag, body in
             re.findall(r"(<text[^>]*>)([-\d.]+)</text>", svg)
             for a in [attrs(tag)] if a.get("class") == cls]
    (x0, y0, v0), (x1, y1, v1) = ticks[0], ticks[-1]
    if cls == "ttick":
        return lambda x: v0 + (x - x0) * (v1 - v0) / (x1 - x0)
    return lambda y: v0 + (y - y0 - offset) * (v1 - v0) / (y1 - y0)


def check_labels(name, svg, check):
    """No text on another; no label (a pulse plot's marks and width, a limit's) on a line or a
    mark. A limit's label beside its limit line."""
    lines = polylines(svg)
    boxes = texts(svg)
    for i, (cls, text, box) in enumerate(boxes):
        for other_cls, other_text, other_box in boxes[i + 1:]:
            check(not overlap(box, other_box), "%s: %r lies on %r" % (name, text, other_text))
        if cls in ("label", "limit"):
            for line, points in lines.items():
                check(not any(box[0] <= x <= box[2] and box[1] <= y <= box[3]
                              for x, y in on_segment_samples(points)),
                      "%s: %r lies on the %s line" % (name, text, line))
            for tag in re.findall(r"<circle[^>]*>", svg):
                c = attrs(tag)
                cx, cy, r = float(c["cx"]), float(c["cy"]), float(c["r"])
                check(not overlap(box, (cx - r, cy - r, cx + r, cy + r)),
                      "%s: %r lies on a mark" % (name, text))
        if cls == "limit":
            line = [attrs(tag) for tag in re.findall(r'<line[^>]*class="limit"[^>]*>', svg)]
            x1, x2, y = (float(line[0][k]) for k in ("x1", "x2", "y1")) if line else (0, 0, 0)
            check(line and (0 < y - box[3] <= BESIDE or 0 < box[1] - y <= BESIDE) and
                  x1 - UNDER <= box[0] and box[2] <= x2 + UNDER,
                  "%s: %r at %r, not beside its line at y=%s" % (name, text, box, y))
    return boxes


def check_plot(name, svg, graph, check):
    """One plot as the browser laid it out; a pulse plot against its section's graph rows (time,
    current, voltage)."""
    boxes = check_labels(name, svg, check)
    if graph is None:
        return
    lines = polylines(svg)
    for entry in re.findall(r'<g class="legend" data-line="([^"]*)"', svg):
        check(entry in lines, "%s: the legend names %r, which is not drawn" % (name, entry))
        for other, points in lines.items():
            if entry in lines and other != entry:
                share = share_apart(lines[entry], points)
                check(share >= DIFFERING_SHARE, "%s: %s lies under %s (%.0f%% of its points apart)"
                      % (name, entry, other, share * 100))

    volts = [g[2] for g in graph]
    peak = max(volts, key=abs)
    labels = [text for cls, text, box in boxes if cls == "label"]
    unit = re.search(r"Voltage \(([^)]*)\)", svg).group(1)
    check("peak %.6g %s" % (peak, unit) in labels, "%s: peak %g not labelled in %s"
          % (name, peak, labels))
    other = min(volts) if peak > 0 else max(volts)
    if abs(other) > abs(peak) / 10 and (other > 0) != (peak > 0):
        word = "lowest" if peak > 0 else "highest"
        check("%s %.6g %s" % (word, other, unit) in labels,
              "%s: the other phase's %g not labelled in %s" % (name, other, labels))

    # The trace begins and ends settled (a fiftieth of the peak from zero: the quiet band is a
    # tenth), or at the capture's ends.
    time_at, volts_at = axis_reader(svg, "ttick", 0), axis_reader(svg, "vtick", -4)
    drawn = lines["voltage"]
    ms_per_pixel = abs(time_at(1) - time_at(0))
    for x, y in (drawn[0], drawn[-1]):
        at_capture_end = min(abs(time_at(x) - graph[0][0]),
                             abs(time_at(x) - graph[-1][0])) <= ms_per_pixel
        check(at_capture_end or abs(volts_at(y)) <= abs(peak) / 50,
              "%s: the trace is cut at %.3f ms, %.1f %s" % (name, time_at(x), volts_at(y), unit))

    vertical = set(round(float(a["x1"]), 1) for tag in re.findall(r"<line[^>]*>", svg)
                   for a in [attrs(tag)] if a["x1"] == a["x2"] and
                   float(a["y2"]) - float(a["y1"]) > 100)
    for tag in re.findall(r'<text[^>]*class="ttick"', svg):
        check(round(float(attrs(tag)["x"]), 1) in vertical,
              "%s: no grid line at the time tick x=%s" % (name, attrs(tag)["x"]))


def check_plots(chromium, work, plots, check):
    """plots: (name, SVG text, graph rows of a pulse plot or None). The plots are put in one page
    with BOX_SCRIPT and laid out by the browser (chromium(work, *args) runs it and gives the DOM
    it dumps)."""
    page = os.path.join(work, "plot-boxes.html")
    with open(page, "w", encoding="utf-8") as f:
        f.write('<!DOCTYPE html>\n<html><head><meta charset="utf-8"></head><body>\n')
        for name, svg, graph in plots:
            f.write('<div data-name="%s">%s</div>\n' % (html.escape(name), svg[svg.index("<svg"):]))
        f.write("<script>%s</script>\n</body></html>\n" % BOX_SCRIPT)
    dom = chromium(work, "--window-size=1000,1000", "--dump-dom", "file://" + page)
    laid_out = dict(re.findall(r'<div data-name="([^"]*)">(.*?)</div>', dom, re.S))
    for name, svg, graph in plots:
        check(name in laid_out, "%s: not in the browser's page" % name)
        if name in laid_out:
            check_plot(name, laid_out[name], graph, check)
