#pragma once

#include "results/DexalResult.h"

namespace Dexal {

// Fills a new record from its criteria and data segments. Every failure is a runtime error
// (or std::out_of_range from the samples) that leaves what was read before it in the record.
class DexalResultDecoder : public DexalResultVisitor {
 public:
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
};

}  // namespace Dexal
