#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "csv/CsvByteSource.h"
#include "csv/CsvRecords.h"

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

// Reads a file this program wrote as it comes, one result section at a time, so that what it
// holds is bounded by the longest section, not by the file. Takes what spreadsheets make of the
// file when nothing is lost (a UTF-8 byte-order mark, LF for CR LF, no final empty line) and
// refuses anything else with DexalCsvError "FILE:LINE: what is wrong".
class DexalCSVreader {
 public:
  static constexpr std::size_t kBlockBytes = std::size_t{256} << 10;

  // Opens a file or a pipe and reads its tester header; `fileName` names it in the messages.
  DexalCSVreader(const std::filesystem::path& path, std::string fileName);
  // The same over text in memory (which must outlive the reader), read `blockBytes` at a time.
  DexalCSVreader(std::string_view text, std::string fileName, std::size_t blockBytes = kBlockBytes);
  // The same over any source of bytes.
  DexalCSVreader(std::unique_ptr<CsvByteSource> source, std::string fileName,
                 std::size_t blockBytes);

  [[nodiscard]] const std::string& TesterSerial() const { return testerSerial_; }
  [[nodiscard]] const std::string& ServiceDate() const { return serviceDate_; }

  // The next result section, in file order; false after the last one.
  bool NextSection(DexalCsvSection& section);

 private:
  void ReadTesterHeader();
  CsvRecord NextOrFail(const std::string& what);
  void ReadPoints(DexalCsvSection& section, const std::string& cut);

  std::unique_ptr<CsvByteSource> source_;
  CsvRecords records_;
  std::string testerSerial_;
  std::string serviceDate_;
};

// Every section of the text of a file at once (tests, fuzzing).
DexalCsvFile CsvFileFromText(std::string_view text, const std::string& fileName,
                             std::size_t blockBytes = DexalCSVreader::kBlockBytes);

// Every section of a file or a pipe at once.
DexalCsvFile ReadCsvFile(const std::filesystem::path& path, const std::string& fileName);

}  // namespace Dexal
