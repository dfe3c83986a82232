#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "csv/DexalCsvLayout.h"
#include "results/DexalResult.h"
#include "results/DexalTestTypes.h"

namespace Dexal {

// One value cell and how it is written.
struct CsvCell {
  enum class Format { Text, Quoted, Fixed, AddHalf, AwayFromZero };
  Format format;
  std::string text;
  double number = 0.0;
  int digits = 0;
};

// Appends the cell in its format.
void AppendCell(std::string& out, const CsvCell& cell);

// One column of a section: its header text beside how its cell is made from the record.
template <class Record>
struct CsvColumn {
  std::string_view header;
  CsvCell (*cell)(const Record&);
};

template <class Record>
using CsvColumns = std::vector<CsvColumn<Record>>;

// The columns' header cells (no record) or value cells, each after the separator but the first
// of a line.
template <class Record>
void AppendCells(std::string& out, const CsvColumns<Record>& columns, const Record* record,
                 bool first = false) {
  for (const CsvColumn<Record>& column : columns) {
    if (!first) out += kCsvSeparator;
    first = false;
    if (record == nullptr) {
      out += column.header;
    } else {
      AppendCell(out, column.cell(*record));
    }
  }
}

// The nine columns that begin every section.
const CsvColumns<DexalResult>& CommonColumns();

// The columns each record class writes after the common ones; a pulse's come after them.
const CsvColumns<DexalDefibChargeTest>& ColumnsOf(const DexalDefibChargeTest&);
const CsvColumns<DexalDefibPulseTest>& ColumnsOf(const DexalDefibPulseTest&);
const CsvColumns<DexalDefibSynchTest>& ColumnsOf(const DexalDefibSynchTest&);
const CsvColumns<DexalAEDPulseTest>& ColumnsOf(const DexalAEDPulseTest&);
const CsvColumns<DexalPacerPulseTest>& ColumnsOf(const DexalPacerPulseTest&);
const CsvColumns<DexalRefractoryPeriodTest>& ColumnsOf(const DexalRefractoryPeriodTest&);
const CsvColumns<DexalSensitivityTest>& ColumnsOf(const DexalSensitivityTest&);
const CsvColumns<DexalGeneralObservationTest>& ColumnsOf(const DexalGeneralObservationTest&);
const CsvColumns<DexalWaveformSimulatorTest>& ColumnsOf(const DexalWaveformSimulatorTest&);
const CsvColumns<DexalPacerImmunityTest>& ColumnsOf(const DexalPacerImmunityTest&);

// The columns of a pulse of this kind, written when the record holds one; none for None.
const CsvColumns<DexalProfile>& PulseColumns(DexalPulseKind kind);

// The header of the graph lines of a pulse of this kind.
const GraphHeaders& GraphHeadersOf(DexalPulseKind kind);

}  // namespace Dexal
