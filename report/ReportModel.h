#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "csv/DexalCSVreader.h"
#include "csv/DexalVerdict.h"
#include "report/PulsePlot.h"

namespace Dexal {

// One measured or set value of a result: its readable name and unit as the column's row names
// them (csv/DexalColumnNames.cpp), the unit of some taken from the value ("60.0 bpm").
struct ReportMeasurement {
  std::string name;
  std::string value;  // the cell's text without the unit split from it; "not used" for no load
  std::string unit;
  bool isNumber = false;  // value is a plain decimal number
};

struct ReportResult {
  std::size_t position = 0;  // 1 for the file's first result
  std::string assetId, assetMake, assetModel, assetSerial;
  std::string date, testType, comment;
  DexalVerdict status;
  std::vector<ReportMeasurement> measurements;  // NominalLoad and every test-specific cell
  bool carriesPulse = false;                    // a test type whose results may hold a pulse
  // Its graph points drawn when the section was read (they are not kept): the plot as the page
  // shows it and as a file of its own; empty when the file has no graph points for it.
  std::string plot, plotFile;
};

struct ReportAsset {
  std::string assetId, assetMake, assetModel, assetSerial;
  std::vector<const ReportResult*> results;  // in file order
  DexalVerdict status;                       // Fail when any result failed
};

// What a report shows of a CSV file.
struct ReportModel {
  std::string testerSerial, serviceDate;
  std::vector<ReportResult> results;
  std::vector<ReportAsset> assets;  // those with a failure first, then in order of appearance
  std::size_t passes = 0, fails = 0, others = 0;
};

// Reads the file section by section, keeping what the report shows: so a report holds one
// section's graph points at a time, however long the file. Plots as files of their own are
// drawn only with `plotFiles`.
ReportModel ReportModelFromReader(DexalCSVreader& reader, bool plotFiles = false);

// What a result's plot says beside its curves (shared by the page and the SVG files).
PulsePlotText PlotTextOf(const ReportResult& result);

}  // namespace Dexal
