#include "csv/DexalCSVreader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "csv/DexalCsvError.h"
#include "csv/DexalCsvLayout.h"
#include "csv/DexalCsvText.h"

namespace Dexal {
namespace {

// A spreadsheet that saves the file as UTF-8 puts this before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The first line is "Serial,Service Date": one much longer is not this file, and is refused
// without reading on (a gigabyte without a line end, for one).
constexpr std::size_t kLongestFirstLine = 256;
// Lines hold a section's cells or a graph point; texts from the tester are far shorter.
constexpr std::size_t kLongestLine = std::size_t{1} << 20;

bool IsGraphHeader(const CsvRecord& record) {
  return std::ranges::equal(record.cells, kDefibGraphHeaders) ||
         std::ranges::equal(record.cells, kPacerGraphHeaders);
}

bool IsSectionHeader(const CsvRecord& record) {
  return record.cells.size() >= kCommonColumns &&
         std::equal(kCommonHeaders.begin(), kCommonHeaders.end(), record.cells.begin());
}

// A graph line: three numbers as the writer writes them, an empty cell for a value it had no
// text for (read as NaN). Parsed in one pass, as a million of them may follow each other.
bool PointFromLine(std::string_view line, DexalCsvPoint& point) {
  const char* at = line.data();
  const char* const end = at + line.size();
  for (double* value : {&point.timeMs, &point.current, &point.voltage}) {
    if (at != end && *at != kCsvSeparator) {
      const auto [stop, error] = std::from_chars(at, end, *value);
      if (error != std::errc() || !std::isfinite(*value)) return false;
      at = stop;
    } else {
      *value = std::numeric_limits<double>::quiet_NaN();
    }
    if (value == &point.voltage) return at == end;
    if (at == end || *at != kCsvSeparator) return false;
    ++at;
  }
  return false;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string shown(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

std::string Cells(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " cell" : " cells");
}

// The first line as a spreadsheet writes it where ';' separates lists.
std::string TesterHeadersWithSemicolons() {
  return std::string(kTesterHeaders[0]) + ";" + std::string(kTesterHeaders[1]);
}

}  // namespace

DexalCSVreader::DexalCSVreader(const std::filesystem::path& path, std::string fileName)
    : source_(std::make_unique<CsvFileSource>(path, fileName)),
      records_(*source_, std::move(fileName), kBlockBytes) {
  ReadTesterHeader();
}

DexalCSVreader::DexalCSVreader(std::string_view text, std::string fileName, std::size_t blockBytes)
    : DexalCSVreader(std::make_unique<CsvTextSource>(text, blockBytes), std::move(fileName),
                     blockBytes) {}

DexalCSVreader::DexalCSVreader(std::unique_ptr<CsvByteSource> source, std::string fileName,
                               std::size_t blockBytes)
    : source_(std::move(source)), records_(*source_, std::move(fileName), blockBytes) {
  ReadTesterHeader();
}

CsvRecord DexalCSVreader::NextOrFail(const std::string& what) {
  if (records_.AtEnd()) records_.Fail(records_.Line(), what);
  return records_.Next();
}

void DexalCSVreader::ReadTesterHeader() {
  const std::string_view start = records_.Peek(kByteOrderMark.size());
  if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF")) {
    records_.Fail(1, "the file is in UTF-16: save it as CSV (UTF-8) with ',' between cells");
  }
  if (start == kByteOrderMark) records_.Skip(kByteOrderMark.size());
  if (records_.AtEnd()) records_.Fail(1, "the file is empty");
  const std::string notOurs = "not a file of this downloader: it must begin with the line \"" +
                              LineOfCells(kTesterHeaders) + "\"";
  records_.LimitRecords(kLongestFirstLine, notOurs);
  const CsvRecord first = records_.Next();
  records_.LimitRecords(kLongestLine,
                        "a line longer than 1 MiB: this is not a file of this downloader");
  if (!std::ranges::equal(first.cells, kTesterHeaders)) {
    if (first.cells.size() == 1 && first.cells[0] == TesterHeadersWithSemicolons()) {
      records_.Fail(first.line,
                    "cells are separated by ';': save the file as CSV with ',' between cells "
                    "(the field delimiter in the spreadsheet's export settings)");
    }
    records_.Fail(first.line, notOurs);
  }
  const CsvRecord tester = NextOrFail("the file ends before the tester's serial number line");
  if (tester.cells.size() != 2) {
    records_.Fail(tester.line, "the tester line has " + Cells(tester.cells.size()) +
                                   ", not 2 (serial number, service date)");
  }
  testerSerial_ = tester.cells[0];
  serviceDate_ = tester.cells[1];
}

bool DexalCSVreader::NextSection(DexalCsvSection& section) {
  if (records_.AtEnd()) return false;
  CsvRecord header = records_.Next();
  if (!IsSectionHeader(header)) {
    const std::string_view shortened[] = {kCommonHeaders.front(), kCommonHeaders[1], "...",
                                          kCommonHeaders.back()};
    records_.Fail(header.line, "expected a result section's header line, beginning \"" +
                                   LineOfCells(shortened) + "\"");
  }
  section.line = header.line;
  section.headers = std::move(header.cells);
  section.graphHeaders.clear();
  section.points.clear();
  const std::string cut =
      "the file ends inside the result section that begins on line " + std::to_string(section.line);
  CsvRecord values = NextOrFail(cut);
  if (values.cells.size() != section.headers.size()) {
    records_.Fail(values.line, "the value line has " + Cells(values.cells.size()) +
                                   " but its header line has " +
                                   std::to_string(section.headers.size()));
  }
  section.values = std::move(values.cells);
  // Spreadsheets drop the empty line that ends the file: a last line that ended ends the section.
  if (records_.LastEnded() && records_.AtEnd()) return true;
  CsvRecord next = NextOrFail(cut);
  if (next.cells.empty()) return true;
  if (!IsGraphHeader(next)) {
    records_.Fail(next.line, "expected an empty line or the graph header \"" +
                                 LineOfCells(kDefibGraphHeaders) + "\" after the value line");
  }
  section.graphHeaders = std::move(next.cells);
  ReadPoints(section, cut);
  return true;
}

void DexalCSVreader::ReadPoints(DexalCsvSection& section, const std::string& cut) {
  while (true) {
    // An empty line ends the section, and so does the end of the file after a line end.
    const bool lineEnded = records_.LastEnded();
    const std::size_t lineNumber = records_.Line();
    const std::string_view line = records_.NextLine();
    if (line.empty()) {
      if (records_.LastEnded() || lineEnded) return;
      records_.Fail(lineNumber, cut);
    }
    DexalCsvPoint& point = section.points.emplace_back();
    if (!PointFromLine(line, point)) {
      records_.Fail(lineNumber, "a graph line must be three numbers, not " + Quoted(line));
    }
  }
}

namespace {

DexalCsvFile AllSections(DexalCSVreader& reader) {
  DexalCsvFile file;
  file.testerSerial = reader.TesterSerial();
  file.serviceDate = reader.ServiceDate();
  // Each section is read into the same one, whose vectors have grown to the longest so far, and
  // kept as a copy of its own size: a pulse's points are then allocated and written once.
  DexalCsvSection section;
  while (reader.NextSection(section)) file.sections.push_back(section);
  return file;
}

}  // namespace

DexalCsvFile CsvFileFromText(std::string_view text, const std::string& fileName,
                             std::size_t blockBytes) {
  DexalCSVreader reader(text, fileName, blockBytes);
  return AllSections(reader);
}

DexalCsvFile ReadCsvFile(const std::filesystem::path& path, const std::string& fileName) {
  DexalCSVreader reader(path, fileName);
  return AllSections(reader);
}

}  // namespace Dexal
