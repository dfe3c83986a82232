#pragma once

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "csv/DexalVerdict.h"

namespace Dexal {

// What a measurement is: its readable name and unit as the column's row names them
// (csv/DexalColumnNames.cpp), the unit of some taken from the value ("60.0 bpm"), and the
// column's header in the file. Shared by the measurements of every result: views of the column
// table or of the model's texts.
struct MeasurementLabel {
  std::string_view name, unit, header;
  auto operator<=>(const MeasurementLabel&) const = default;
};

// One measured or set value of a result.
struct ReportMeasurement {
  const MeasurementLabel* label = nullptr;
  std::string value;      // the cell's text without the unit split from it; "not used" for no load
  bool isNumber = false;  // value is a plain decimal number
  [[nodiscard]] std::string_view name() const { return label->name; }
  [[nodiscard]] std::string_view unit() const { return label->unit; }
  [[nodiscard]] std::string_view header() const { return label->header; }
};

struct ReportResult {
  std::size_t position = 0;  // 1 for the first result kept
  std::string testerSerial, assetId, assetMake, assetModel, assetSerial;
  std::string date, testType, comment;
  DexalVerdict status;
  std::vector<ReportMeasurement> measurements;  // NominalLoad and every test-specific cell
  bool carriesPulse = false;                    // a test type whose results may hold a pulse
  // Its graph points drawn when the section was read (they are not kept): the plot as the page
  // shows it and as a file of its own; empty when the file has no graph points for it.
  std::string plot, plotFile;
  bool graphPoints = false;  // read with graph points
  // Where it was read: the source's index among the files read, its name in the report and the
  // line of its values.
  std::size_t sourceIndex = 0;
  std::string source;
  std::size_t line = 0;
  // The results of the same tester, asset, date and test type with other values: "FILE:LINE".
  std::vector<std::string> conflicts;
};

}  // namespace Dexal
