#include "report/FlatTable.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace Dexal {
namespace {

class TableWriter {
 public:
  explicit TableWriter(char separator) : separator_(separator) {}

  void Row(std::initializer_list<std::string_view> cells) {
    bool first = true;
    for (const std::string_view cell : cells) {
      if (!first) out_ += separator_;
      first = false;
      Cell(cell);
    }
    out_ += "\r\n";
  }

  std::string out_;

 private:
  void Cell(std::string_view text) {
    const char special[] = {separator_, '"', '\r', '\n', '\0'};
    if (text.find_first_of(special) == std::string_view::npos) {
      out_ += text;
      return;
    }
    out_ += '"';
    for (const char c : text) {
      if (c == '"') out_ += '"';
      out_ += c;
    }
    out_ += '"';
  }

  char separator_;
};

}  // namespace

std::string FlatTableText(const ReportModel& model, TableDialect dialect) {
  const bool semicolon = dialect == TableDialect::ExcelSemicolon;
  TableWriter table(semicolon ? ';' : ',');
  if (dialect != TableDialect::Rfc4180) table.out_ += "\xEF\xBB\xBF";
  table.Row({"Tester Serial", "Asset ID", "Asset Make", "Asset Model", "Asset Serial", "Date",
             "Test Type", "Status", "Comment", "Measurement", "Value", "Unit"});
  for (const ReportResult& r : model.results) {
    for (const ReportMeasurement& m : r.measurements) {
      std::string value = m.value;
      if (semicolon && m.isNumber) std::replace(value.begin(), value.end(), '.', ',');
      table.Row({model.testerSerial, r.assetId, r.assetMake, r.assetModel, r.assetSerial, r.date,
                 r.testType, r.status, r.comment, m.name, value, m.unit});
    }
  }
  return std::move(table.out_);
}

}  // namespace Dexal
