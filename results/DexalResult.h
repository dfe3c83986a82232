#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/DexalCmd.h"
#include "platform/CalendarTime.h"
#include "results/DexalProfile.h"

namespace Dexal {

// The tester's ECG simulator setting during a test.
struct DexalSimWaveForm {
  std::uint8_t waveform = 0;
  std::uint8_t extra = 0;
  std::uint16_t rate = 0;  // tenths of the waveform's rate unit
  float peak = 0.0f;       // millivolts
};

class DexalResultVisitor;

// One downloaded result. Its segments stay in the result-data command, which must outlive it.
class DexalResult {
 public:
  explicit DexalResult(const DexalCmdResultData* data);
  virtual ~DexalResult() = default;
  virtual bool accept(DexalResultVisitor& visitor) = 0;

  DexalResult(const DexalResult&) = delete;
  DexalResult& operator=(const DexalResult&) = delete;

  const DexalCmdResultData* resultData;
  std::string testerSerial;
  std::string assetId;
  std::string assetMake;
  std::string assetModel;
  std::string assetSerial;
  std::string comment;
  CalendarTime testDate = 0;
  std::uint8_t testType = 0;
  std::uint8_t status = 1;  // 1 pass, 0 fail
  std::uint8_t tag12Code = 0;
  std::uint16_t sampleOffset = 0;
  float voltsPerCount = 0.0f;
  std::uint16_t nominalLoad = 0;
  float loadOhms = 0.0f;
};

class DexalDefibPulseTest;
class DexalDefibChargeTest;
class DexalDefibSynchTest;
class DexalAEDPulseTest;
class DexalPacerPulseTest;
class DexalRefractoryPeriodTest;
class DexalSensitivityTest;
class DexalPacerImmunityTest;
class DexalWaveformSimulatorTest;
class DexalGeneralObservationTest;

class DexalResultVisitor {
 public:
  virtual ~DexalResultVisitor() = default;
  virtual bool visit(DexalPacerImmunityTest& result) = 0;
  virtual bool visit(DexalWaveformSimulatorTest& result) = 0;
  virtual bool visit(DexalGeneralObservationTest& result) = 0;
  virtual bool visit(DexalSensitivityTest& result) = 0;
  virtual bool visit(DexalRefractoryPeriodTest& result) = 0;
  virtual bool visit(DexalPacerPulseTest& result) = 0;
  virtual bool visit(DexalAEDPulseTest& result) = 0;
  virtual bool visit(DexalDefibSynchTest& result) = 0;
  virtual bool visit(DexalDefibPulseTest& result) = 0;
  virtual bool visit(DexalDefibChargeTest& result) = 0;
};

// Each record calls the visitor's operation for its own class.
template <class Derived>
class DexalVisitable : public DexalResult {
 public:
  using DexalResult::DexalResult;
  bool accept(DexalResultVisitor& visitor) override {
    return visitor.visit(static_cast<Derived&>(*this));
  }
};

class DexalDefibPulseTest : public DexalVisitable<DexalDefibPulseTest> {
 public:
  using DexalVisitable::DexalVisitable;
  std::unique_ptr<DexalProfile> profile;
};

class DexalDefibChargeTest : public DexalVisitable<DexalDefibChargeTest> {
 public:
  using DexalVisitable::DexalVisitable;
  std::unique_ptr<DexalProfile> profile;
  float chargeTime = 0.0f;
};

class DexalDefibSynchTest : public DexalVisitable<DexalDefibSynchTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
  std::unique_ptr<DexalProfile> profile;
  float synchTime = 0.0f;  // seconds
};

class DexalAEDPulseTest : public DexalVisitable<DexalAEDPulseTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
  std::unique_ptr<DexalProfile> profile;
};

class DexalPacerPulseTest : public DexalVisitable<DexalPacerPulseTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
  std::unique_ptr<DexalProfile> profile;
  std::uint16_t pacerModel = 0;
  float pulseRate = 0.0f;  // pulses per minute
};

class DexalRefractoryPeriodTest : public DexalVisitable<DexalRefractoryPeriodTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
  std::uint16_t pacerModel = 0;
  float pulseRate = 0.0f;
  float pulsedRefractoryPeriod = 0.0f;  // seconds
  float sensedRefractoryPeriod = 0.0f;  // seconds
  float pulseWidth = 0.0f;              // seconds
};

class DexalSensitivityTest : public DexalVisitable<DexalSensitivityTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
  std::uint16_t pacerModel = 0;
  bool ecgInverted = false;
  float pulseRate = 0.0f;
  float sensitivity = 0.0f;  // volts
};

class DexalPacerImmunityTest : public DexalVisitable<DexalPacerImmunityTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
  std::uint16_t pacerModel = 0;
  float pulseRate = 0.0f;
};

class DexalGeneralObservationTest : public DexalVisitable<DexalGeneralObservationTest> {
 public:
  using DexalVisitable::DexalVisitable;
  std::string observation;
};

class DexalWaveformSimulatorTest : public DexalVisitable<DexalWaveformSimulatorTest> {
 public:
  using DexalVisitable::DexalVisitable;
  DexalSimWaveForm simWaveform;
};

}  // namespace Dexal
