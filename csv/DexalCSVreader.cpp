#include "csv/DexalCSVreader.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <optional>

#include "csv/CsvRecords.h"
#include "csv/DexalCsvError.h"
#include "csv/DexalCsvLayout.h"
#include "csv/DexalCsvText.h"
#include "csv/DexalNumberFormat.h"

namespace Dexal {
namespace {

bool IsGraphHeader(const CsvRecord& record) {
  return std::ranges::equal(record.cells, kDefibGraphHeaders) ||
         std::ranges::equal(record.cells, kPacerGraphHeaders);
}

bool IsSectionHeader(const CsvRecord& record) {
  return record.cells.size() >= kCommonColumns &&
         std::equal(kCommonHeaders.begin(), kCommonHeaders.end(), record.cells.begin());
}

// A graph cell: a number as the writer writes it, or empty for a value it had no text for.
bool NumberFromCell(std::string_view cell, double& value) {
  const std::optional<double> number =
      cell.empty() ? std::numeric_limits<double>::quiet_NaN() : NumberFromText(cell);
  value = number.value_or(0.0);
  return number.has_value();
}

bool PointFromLine(std::string_view line, DexalCsvPoint& point) {
  std::array<double*, 3> targets = {&point.timeMs, &point.current, &point.voltage};
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const std::size_t comma = line.find(kCsvSeparator);
    const bool last = i + 1 == targets.size();
    if ((comma == std::string_view::npos) != last) return false;
    if (!NumberFromCell(line.substr(0, comma), *targets[i])) return false;
    if (!last) line.remove_prefix(comma + 1);
  }
  return true;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string shown(text.substr(0, kShown));
  if (text.size() > kShown) shown += "...";
  return "\"" + shown + "\"";
}

class FileReader {
 public:
  FileReader(std::string_view text, const std::string& fileName) : records_(text, fileName) {}

  DexalCsvFile Read() {
    if (records_.AtEnd()) records_.Fail(1, "the file is empty");
    const CsvRecord first = records_.Next();
    if (!std::ranges::equal(first.cells, kTesterHeaders)) {
      records_.Fail(first.line, "not a file of this downloader: it must begin with the line \"" +
                                    LineOfCells(kTesterHeaders) + "\"");
    }
    const CsvRecord tester = NextOrFail("the file ends before the tester's serial number line");
    if (tester.cells.size() != 2) {
      records_.Fail(tester.line, "the tester line has " + std::to_string(tester.cells.size()) +
                                     " cells, not 2 (serial number, service date)");
    }
    DexalCsvFile file;
    file.testerSerial = tester.cells[0];
    file.serviceDate = tester.cells[1];
    while (!records_.AtEnd()) file.sections.push_back(ReadSection());
    return file;
  }

 private:
  CsvRecord NextOrFail(const std::string& what) {
    if (records_.AtEnd()) records_.Fail(records_.Line(), what);
    return records_.Next();
  }

  DexalCsvSection ReadSection() {
    CsvRecord header = records_.Next();
    if (!IsSectionHeader(header)) {
      const std::string_view shortened[] = {kCommonHeaders.front(), kCommonHeaders[1], "...",
                                            kCommonHeaders.back()};
      records_.Fail(header.line, "expected a result section's header line, beginning \"" +
                                     LineOfCells(shortened) + "\"");
    }
    DexalCsvSection section;
    section.line = header.line;
    section.headers = std::move(header.cells);
    const std::string cut = "the file ends inside the result section that begins on line " +
                            std::to_string(section.line);
    CsvRecord values = NextOrFail(cut);
    if (values.cells.size() != section.headers.size()) {
      records_.Fail(values.line, "the value line has " + std::to_string(values.cells.size()) +
                                     " cells, its header line " +
                                     std::to_string(section.headers.size()));
    }
    section.values = std::move(values.cells);
    CsvRecord next = NextOrFail(cut);
    if (next.cells.empty()) return section;
    if (!IsGraphHeader(next)) {
      records_.Fail(next.line, "expected an empty line or the graph header \"" +
                                   LineOfCells(kDefibGraphHeaders) + "\" after the value line");
    }
    section.graphHeaders = std::move(next.cells);
    ReadPoints(section, cut);
    return section;
  }

  void ReadPoints(DexalCsvSection& section, const std::string& cut) {
    while (true) {
      if (records_.AtEnd()) records_.Fail(records_.Line(), cut);
      const std::size_t lineNumber = records_.Line();
      const std::string_view line = records_.NextLine();
      if (line.empty()) return;
      DexalCsvPoint& point = section.points.emplace_back();
      if (!PointFromLine(line, point)) {
        records_.Fail(lineNumber, "a graph line must be three numbers, not " + Quoted(line));
      }
    }
  }

  CsvRecords records_;
};

}  // namespace

DexalCsvFile CsvFileFromText(std::string_view text, const std::string& fileName) {
  return FileReader(text, fileName).Read();
}

DexalCsvFile ReadCsvFile(const std::filesystem::path& path, const std::string& fileName) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) throw DexalCsvError(fileName + ": the file cannot be opened for reading");
  const std::streamoff size = in.tellg();
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  in.seekg(0);
  if (size < 0 || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    throw DexalCsvError(fileName + ": the file cannot be read");
  }
  return CsvFileFromText(text, fileName);
}

}  // namespace Dexal
