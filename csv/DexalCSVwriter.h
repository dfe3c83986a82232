#pragma once

#include <fstream>
#include <string>

#include "csv/DexalTesterInfo.h"
#include "results/DexalResult.h"
#include "results/DexalTestTypes.h"

namespace Dexal {

// Appends decoded results to the CSV file, one section per result: header line, value line,
// optional graph lines and an empty line. The file is open only while the writer works on it.
//
// Each section (and the tester header) is built in memory and written with one write; a write
// that fails is cut back to the file's length before it, so no half section stays behind, and
// throws "Could not write to file\n" + path.
class DexalCSVwriter : public DexalResultVisitor {
 public:
  // Opens the file for appending (created when missing); throws when it cannot.
  DexalCSVwriter(std::wstring fileName, bool outputGraphPoints);
  ~DexalCSVwriter() override;

  DexalCSVwriter(const DexalCSVwriter&) = delete;
  DexalCSVwriter& operator=(const DexalCSVwriter&) = delete;

  // Opens the file at its end unless it is open already.
  void OpenForAppend();
  // Empties the file (creating it when missing) and leaves it closed.
  void TruncateFile();
  // The two lines with the tester's serial number and service date.
  void WriteTesterHeader(const DexalTesterInfo& info);

  // The nine common cells of a section's header and value lines, without a line end. They are
  // added to the section being built, which the visit that ends it writes.
  void WriteCommonHeaders();
  void WriteCommonValues(const DexalResult& result);

  bool visit(DexalPacerImmunityTest& result) override;
  bool visit(DexalWaveformSimulatorTest& result) override;
  bool visit(DexalGeneralObservationTest& result) override;
  bool visit(DexalSensitivityTest& result) override;
  bool visit(DexalRefractoryPeriodTest& result) override;
  bool visit(DexalPacerPulseTest& result) override;
  bool visit(DexalAEDPulseTest& result) override;
  bool visit(DexalDefibSynchTest& result) override;
  bool visit(DexalDefibPulseTest& result) override;
  bool visit(DexalDefibChargeTest& result) override;

 private:
  // One section: the common columns, then the record class's columns and those of its pulse,
  // then the graph lines of its pulse.
  template <class Record>
  void Section(const Record& result);
  void BeginSection();
  void EndSection();
  void WritePending();
  void CloseIfGood();
  void EndLine();
  void GraphLines(const DexalProfile* profile, float loadOhms, DexalPulseKind kind);

  std::wstring fileName;
  std::ofstream file;
  bool outputGraphPoints;
  std::string pending;  // the section being built
};

}  // namespace Dexal
