#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "csv/DexalCSVreader.h"
#include "csv/DexalVerdict.h"

namespace Dexal {

// One measured or set value of a result: its name and unit split from the header ("Defib
// Energy (J)") or from the value ("60.0 bpm").
struct ReportMeasurement {
  std::string name;
  std::string value;  // the cell's text without the unit split from it
  std::string unit;
  bool isNumber = false;  // value is a plain decimal number
};

struct ReportResult {
  std::size_t position = 0;  // 1 for the file's first result
  const DexalCsvSection* section = nullptr;
  std::string assetId, assetMake, assetModel, assetSerial;
  std::string date, testType, comment;
  DexalVerdict status;
  std::vector<ReportMeasurement> measurements;  // NominalLoad and every test-specific cell
  bool carriesPulse = false;                    // a test type whose results may hold a pulse
};

struct ReportAsset {
  std::string assetId, assetMake, assetModel, assetSerial;
  std::vector<const ReportResult*> results;  // in file order
  DexalVerdict status;                       // Fail when any result failed
};

// What a report shows of a CSV file. It points into the file it was made from.
struct ReportModel {
  std::string testerSerial, serviceDate;
  std::vector<ReportResult> results;
  std::vector<ReportAsset> assets;  // those with a failure first, then in order of appearance
  std::size_t passes = 0, fails = 0, others = 0;
};

ReportModel ReportModelFromCsv(const DexalCsvFile& file);

}  // namespace Dexal
