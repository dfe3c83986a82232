#pragma once

#include <string>

#include "csv/DexalCSVreader.h"

namespace Dexal {

// A plot drawn before its title is known (a result's number is known only once every file before
// it is read): all but the SVG's opening and the title.
struct UntitledPlot {
  int height = 0;
  bool standalone = false;
  std::string body;
};

// The pulse of a section with graph points as SVG: voltage against time over the span where
// the pulse leaves zero and settles back, its width shaded and labelled `widthText` (computed
// when empty), its peak and the other phase's extreme marked with their values, the labels
// placed clear of the trace and of each other. The current is read off the voltage line on a
// right-hand axis where it is the voltage over the stated load, and drawn in a panel of its own
// where it is not. At most two points per pixel column (the lowest and highest of the samples in
// it) per curve. `standalone` makes a file of its own.
UntitledPlot DrawPulsePlot(const DexalCsvSection& section, const std::string& widthText,
                           bool standalone);
// The plot with its title above it and as the SVG's title.
std::string TitledPlot(const UntitledPlot& plot, const std::string& title);

}  // namespace Dexal
