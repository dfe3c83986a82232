#pragma once

#include <string>

#include "csv/DexalCSVreader.h"

namespace Dexal {

// What a plot says beside its curves.
struct PulsePlotText {
  std::string title;       // shown above the plot, and as the SVG's title
  std::string widthLabel;  // the width shown on the shaded span, "10.0 ms"; computed when empty
};

// The pulse of a section with graph points as SVG: voltage and current against time, zoomed
// to the pulse, the width shaded and the peak marked. At most two points per pixel column (the
// lowest and highest of the samples in it) per curve. `standalone` makes a file of its own.
std::string PulsePlotSvg(const DexalCsvSection& section, const PulsePlotText& text,
                         bool standalone);

}  // namespace Dexal
