#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Dexal {

// One point of a section's graph lines, in the section's own units (ms; A and V, or mA and mV).
// A cell left empty by the writer (a value with no text) reads as NaN.
struct DexalCsvPoint {
  double timeMs = 0.0;
  double current = 0.0;
  double voltage = 0.0;
};

// One result section: every cell keeps its text as written.
struct DexalCsvSection {
  std::size_t line = 0;  // of its header line
  std::vector<std::string> headers;
  std::vector<std::string> values;
  std::vector<std::string> graphHeaders;  // empty when the section has no graph lines
  std::vector<DexalCsvPoint> points;
};

// A CSV file written by a download: the tester header and the result sections in file order.
struct DexalCsvFile {
  std::string testerSerial;
  std::string serviceDate;
  std::vector<DexalCsvSection> sections;
};

// Reads the text of a file this program wrote; `fileName` names it in the messages. Throws
// DexalCsvError "FILE:LINE: what is wrong" for anything else.
DexalCsvFile CsvFileFromText(std::string_view text, const std::string& fileName);

// The same from a file; `fileName` is how the messages name it.
DexalCsvFile ReadCsvFile(const std::filesystem::path& path, const std::string& fileName);

}  // namespace Dexal
