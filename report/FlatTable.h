#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "report/ReportModel.h"

namespace Dexal {

// How the flat table is written: RFC 4180 (comma, CR LF, every cell as it is); for Excel with a
// UTF-8 byte-order mark and no text cell that a spreadsheet would take for a formula; for
// semicolon locales also ';' between cells and decimal commas in numbers.
enum class TableDialect { Rfc4180, Excel, ExcelSemicolon };

// One row per measurement of each result: Result Key (tester serial, Asset ID, date and test
// type, " | " between them, for a maintenance system to match on), Tester Serial, Asset ID,
// Asset Make, Asset Model, Asset Serial, Date, Test Type, Status, Comment, Measurement, Value,
// Unit, Source (the file read). Made a result at a time as it is written (OutputFiles); the
// model must outlive it.
NextBytes FlatTablePieces(const ReportModel& model, TableDialect dialect);

}  // namespace Dexal
