#pragma once

#include <string_view>

namespace Dexal {

// How a reader is shown a measurement column of the file: the header as the writer spells it
// (csv/DexalCsvColumns.cpp), a readable name and the unit of its values.
struct DexalColumnName {
  std::string_view header;
  std::string_view name;
  std::string_view unit;    // empty for a text or a count
  bool unitInCell = false;  // the cell carries its own unit after a blank ("60.0 bpm")
};

// The row of a header the writer writes, "NominalLoad" among them; null for any other text.
const DexalColumnName* ColumnNameFromHeader(std::string_view header);

}  // namespace Dexal
