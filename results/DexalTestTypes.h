#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "link/DexalCmd.h"
#include "results/DexalResult.h"

namespace Dexal {

// The pulse a test type's results may carry: a defibrillator's, shown in J, V and A, or a
// pacer's, shown in mJ, mV and mA.
enum DexalPulseKind { kNoPulse, kDefibPulse, kPacerPulse };

// One test type of the tester: its code in the criteria segment, its name in the "Test Type"
// column and the pulse its results may carry; the results become a Record. The columns it
// writes after the common ones are its record class's (csv/DexalCsvColumns.cpp).
template <class Record>
struct DexalTestTypeRow {
  using RecordClass = Record;
  std::uint8_t code;
  std::string_view displayName;
  DexalPulseKind pulse;
};

inline constexpr std::tuple kDexalTestTypeRows{
    DexalTestTypeRow<DexalGeneralObservationTest>{0x01, "General Comments", kNoPulse},
    DexalTestTypeRow<DexalWaveformSimulatorTest>{0x02, "Waveform Simulation", kNoPulse},
    DexalTestTypeRow<DexalDefibPulseTest>{0x10, "Defib Pulse", kDefibPulse},
    DexalTestTypeRow<DexalDefibChargeTest>{0x11, "Defib Charge", kDefibPulse},
    DexalTestTypeRow<DexalDefibSynchTest>{0x12, "Defib Cardiac Sync Time", kDefibPulse},
    DexalTestTypeRow<DexalAEDPulseTest>{0x20, "AED Pulse", kDefibPulse},
    DexalTestTypeRow<DexalPacerPulseTest>{0x30, "Pacer Pulse", kPacerPulse},
    DexalTestTypeRow<DexalRefractoryPeriodTest>{0x31, "Pacer Refractory Period", kNoPulse},
    DexalTestTypeRow<DexalSensitivityTest>{0x32, "Pacer Sensitivity", kNoPulse},
    DexalTestTypeRow<DexalPacerImmunityTest>{0x33, "Pacer Immunity", kNoPulse},
};

// The row of a record class; a class without one does not compile.
template <class Record>
constexpr const DexalTestTypeRow<Record>& TestTypeOfRecord() {
  return std::get<DexalTestTypeRow<Record>>(kDexalTestTypeRows);
}

// A row as the code that looks test types up by code or name sees it.
struct DexalTestType {
  std::uint8_t code;
  std::string_view displayName;
  DexalPulseKind pulse;
  // A new, empty record of the test type's class.
  std::unique_ptr<DexalResult> (*create)(const DexalCmdResultData* resultData);
};

template <class Record>
std::unique_ptr<DexalResult> NewRecord(const DexalCmdResultData* resultData) {
  return std::make_unique<Record>(resultData);
}

inline constexpr auto kDexalTestTypes = std::apply(
    [](const auto&... rows) {
      return std::array{
          DexalTestType{rows.code, rows.displayName, rows.pulse,
                        NewRecord<typename std::remove_cvref_t<decltype(rows)>::RecordClass>}...};
    },
    kDexalTestTypeRows);

// The test type of a code; null for a code the tester does not use.
const DexalTestType* TestTypeFromCode(std::uint8_t code);

// The test type a "Test Type" cell names; null for any other text.
const DexalTestType* TestTypeFromDisplayName(std::string_view displayName);

}  // namespace Dexal
