#include "report/FlatTable.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "csv/DexalCsvLayout.h"
#include "csv/DexalCsvText.h"

namespace Dexal {
namespace {

class TableWriter {
 public:
  explicit TableWriter(char separator) : separator_(separator) {}

  void Row(const std::vector<std::string_view>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) out_ += separator_;
      AppendTextCell(out_, cells[i], separator_);
    }
    out_ += kCsvLineEnd;
  }

  std::string out_;

 private:
  char separator_;
};

// Tester Serial, then the common headers from Asset ID to Comment, then the measurement.
std::vector<std::string_view> HeaderRow() {
  std::vector<std::string_view> headers = {"Tester Serial"};
  headers.insert(headers.end(), kCommonHeaders.begin(),
                 kCommonHeaders.begin() + kCommentColumn + 1);
  headers.insert(headers.end(), {"Measurement", "Value", "Unit"});
  return headers;
}

}  // namespace

std::string FlatTableText(const ReportModel& model, TableDialect dialect) {
  const bool semicolon = dialect == TableDialect::ExcelSemicolon;
  TableWriter table(semicolon ? ';' : kCsvSeparator);
  if (dialect != TableDialect::Rfc4180) table.out_ += "\xEF\xBB\xBF";
  table.Row(HeaderRow());
  for (const ReportResult& r : model.results) {
    for (const ReportMeasurement& m : r.measurements) {
      std::string value = m.value;
      if (semicolon && m.isNumber) std::replace(value.begin(), value.end(), '.', ',');
      table.Row({model.testerSerial, r.assetId, r.assetMake, r.assetModel, r.assetSerial, r.date,
                 r.testType, r.status.text, r.comment, m.name, value, m.unit});
    }
  }
  return std::move(table.out_);
}

}  // namespace Dexal
