#include "report/FlatTable.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "csv/DexalCsvLayout.h"
#include "csv/DexalCsvText.h"

namespace Dexal {
namespace {

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

// A spreadsheet takes a cell that begins with one of these for a formula: '=', '+', '-' and '@'
// begin one, and a leading tab or CR is trimmed before it looks.
bool BeginsLikeFormula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

class TableWriter {
 public:
  TableWriter(std::string& out, char separator, bool textAsText)
      : out_(out), separator_(separator), textAsText_(textAsText) {}

  // The cell in `numberColumn`, if any, is a number and written as it is. For a spreadsheet, a
  // text cell that would begin a formula gets a leading apostrophe: the spreadsheet shows the
  // apostrophe and the text, and evaluates nothing (a hyperlink, a DDE command).
  void Row(std::span<const std::string_view> cells, std::size_t numberColumn = kNoColumn) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) out_ += separator_;
      if (textAsText_ && i != numberColumn && BeginsLikeFormula(cells[i])) {
        AppendTextCell(out_, "'" + std::string(cells[i]), separator_);
      } else {
        AppendTextCell(out_, cells[i], separator_);
      }
    }
    out_ += kCsvLineEnd;
  }

 private:
  std::string& out_;
  char separator_;
  bool textAsText_;
};

// The result's key and Tester Serial, then the common headers from Asset ID to Comment, then the
// measurement and the file it was read from.
std::vector<std::string_view> HeaderRow() {
  std::vector<std::string_view> headers = {"Result Key", "Tester Serial"};
  headers.insert(headers.end(), kCommonHeaders.begin(),
                 kCommonHeaders.begin() + kCommentColumn + 1);
  headers.insert(headers.end(), {"Measurement", "Value", "Unit", "Source"});
  return headers;
}

constexpr std::size_t kValueColumn = 11;

// The rows of one result: one per measurement.
void ResultRows(TableWriter& table, const ReportResult& r, bool decimalComma,
                std::string& commaValue) {
  const std::string key = r.testerSerial + " | " + r.assetId + " | " + r.date + " | " + r.testType;
  // The row's cells but the measurement's are the result's: set once, as views.
  std::array<std::string_view, 14> row = {
      key,    r.testerSerial, r.assetId,     r.assetMake, r.assetModel, r.assetSerial,
      r.date, r.testType,     r.status.text, r.comment,   {},           {},
      {},     r.source};
  for (const ReportMeasurement& m : r.measurements) {
    row[kValueColumn - 1] = m.name();
    row[kValueColumn] = m.value;
    row[kValueColumn + 1] = m.unit();
    if (decimalComma && m.isNumber) {
      commaValue = m.value;
      std::replace(commaValue.begin(), commaValue.end(), '.', ',');
      row[kValueColumn] = commaValue;
    }
    table.Row(row, m.isNumber ? kValueColumn : kNoColumn);
  }
}

}  // namespace

NextBytes FlatTablePieces(const ReportModel& model, TableDialect dialect) {
  return [&model, dialect, part = std::size_t{0},
          commaValue = std::string()](std::string& out) mutable {
    const bool semicolon = dialect == TableDialect::ExcelSemicolon;
    const bool forSpreadsheet = dialect != TableDialect::Rfc4180;
    TableWriter table(out, semicolon ? ';' : kCsvSeparator, forSpreadsheet);
    if (part == 0) {
      if (forSpreadsheet) out += "\xEF\xBB\xBF";
      table.Row(HeaderRow());
    } else if (part <= model.results.size()) {
      ResultRows(table, *model.results.Get(part - 1), semicolon, commaValue);
    } else {
      return false;
    }
    ++part;
    return true;
  };
}

}  // namespace Dexal
