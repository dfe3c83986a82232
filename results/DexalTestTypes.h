#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "link/DexalCmd.h"
#include "results/DexalResult.h"

namespace Dexal {

// The pulse a test type's results may carry: a defibrillator's, shown in J, V and A, or a
// pacer's, shown in mJ, mV and mA.
enum class DexalPulseKind { None, Defib, Pacer };

template <class Record>
std::unique_ptr<DexalResult> NewRecord(const DexalCmdResultData* resultData) {
  return std::make_unique<Record>(resultData);
}

// One test type of the tester: its code in the criteria segment, its name in the "Test Type"
// column, the record class its results are decoded into and the pulse they may carry. The
// columns it writes after the common ones belong to its record class (csv/DexalCsvColumns.cpp).
struct DexalTestType {
  std::uint8_t code;
  std::string_view displayName;
  std::unique_ptr<DexalResult> (*create)(const DexalCmdResultData* resultData);
  DexalPulseKind pulse;
};

inline constexpr std::array<DexalTestType, 10> kDexalTestTypes{{
    {0x01, "General Comments", NewRecord<DexalGeneralObservationTest>, DexalPulseKind::None},
    {0x02, "Waveform Simulation", NewRecord<DexalWaveformSimulatorTest>, DexalPulseKind::None},
    {0x10, "Defib Pulse", NewRecord<DexalDefibPulseTest>, DexalPulseKind::Defib},
    {0x11, "Defib Charge", NewRecord<DexalDefibChargeTest>, DexalPulseKind::Defib},
    {0x12, "Defib Cardiac Sync Time", NewRecord<DexalDefibSynchTest>, DexalPulseKind::Defib},
    {0x20, "AED Pulse", NewRecord<DexalAEDPulseTest>, DexalPulseKind::Defib},
    {0x30, "Pacer Pulse", NewRecord<DexalPacerPulseTest>, DexalPulseKind::Pacer},
    {0x31, "Pacer Refractory Period", NewRecord<DexalRefractoryPeriodTest>, DexalPulseKind::None},
    {0x32, "Pacer Sensitivity", NewRecord<DexalSensitivityTest>, DexalPulseKind::None},
    {0x33, "Pacer Immunity", NewRecord<DexalPacerImmunityTest>, DexalPulseKind::None},
}};

// The test type of a code; null for a code the tester does not use.
const DexalTestType* TestTypeFromCode(std::uint8_t code);

// The test type a "Test Type" cell names; null for any other text.
const DexalTestType* TestTypeFromDisplayName(std::string_view displayName);

// The test type whose results become this record class; a class without a row does not compile.
template <class Record>
consteval const DexalTestType& TestTypeOfRecord() {
  for (const DexalTestType& type : kDexalTestTypes) {
    if (type.create == &NewRecord<Record>) return type;
  }
  throw "a record class without a test type";
}

}  // namespace Dexal
