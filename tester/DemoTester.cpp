#include "tester/DemoTester.h"

namespace Dexal {
namespace {

ResultFields Asset(std::string id, std::string make, std::string model, std::string serial,
                   const TesterDate& date, std::uint8_t type) {
  ResultFields fields;
  fields.assetId = std::move(id);
  fields.assetMake = std::move(make);
  fields.assetModel = std::move(model);
  fields.assetSerial = std::move(serial);
  fields.date = date;
  fields.testType = type;
  return fields;
}

PulseSettings Defib(PulseSettings::Shape shape, double joules) {
  PulseSettings pulse;
  pulse.shape = shape;
  pulse.joules = joules;
  return pulse;
}

PulseSettings Pacer(double widthMs, double milliamps) {
  PulseSettings pulse;
  pulse.shape = PulseSettings::Shape::Pacer;
  pulse.widthMs = widthMs;
  pulse.milliamps = milliamps;
  return pulse;
}

enum class Device { Defib, Pacer };

// Mid-scale offset into a 50 ohm load; a pacer's counts are a thousandth of a defibrillator's.
void Calibrate(ResultFields& fields, Device device) {
  const bool pacer = device == Device::Pacer;
  fields.tag12 = pacer ? 2 : 1;
  fields.sampleOffset = 32768;
  fields.voltsPerCount = pacer ? 0.001f : 0.1f;
  fields.nominalLoad = 50;
  fields.loadOhms = 50.0f;
}

constexpr std::uint16_t kZoll = 0x0010;
constexpr std::uint16_t kPhysioControl = 0x0020;
constexpr std::uint16_t kPhilips = 0x0030;
constexpr std::uint8_t kNormalSinus = 0x10;
constexpr std::uint8_t kVfCoarse = 0x46;
constexpr std::uint8_t kPacerOnly = 0x50;

}  // namespace

TesterIdentity DemoIdentity() {
  TesterIdentity id;
  id.serialNumber = "DX2-104387";
  id.serviceYear = 2025;
  id.serviceMonth = 11;
  id.serviceDay = 14;
  id.firmwareRevision = 412;
  id.firmwareYear = 2025;
  id.firmwareMonth = 6;
  id.firmwareDay = 30;
  return id;
}

std::vector<ResultFields> DemoResultFields() {
  std::vector<ResultFields> demoResults;

  auto r = Asset("BME-00412", "Philips", "HeartStart MRx", "US00571234", {2026, 3, 2, 9, 14, 5},
                 TestType::DefibPulse);
  Calibrate(r, Device::Defib);
  r.comment = "200 J delivered, paddles cleaned";
  r.pulse = Defib(PulseSettings::Shape::Biphasic, 200.0);
  demoResults.push_back(r);

  r = Asset("BME-00388", "Physio-Control", "LIFEPAK 20", "37815992", {2026, 3, 2, 9, 41, 30},
            TestType::DefibPulse);
  Calibrate(r, Device::Defib);
  r.comment = "Monophasic unit, 360 J max";
  r.pulse = Defib(PulseSettings::Shape::Monophasic, 360.0);
  demoResults.push_back(r);

  r = Asset("BME-00412", "Philips", "HeartStart MRx", "US00571234", {2026, 3, 2, 9, 20, 47},
            TestType::DefibCharge);
  Calibrate(r, Device::Defib);
  r.chargeTime = 5.8f;
  r.pulse = Defib(PulseSettings::Shape::Biphasic, 200.0);
  demoResults.push_back(r);

  r = Asset("ICU-D-07", "Zoll", "R Series ALS", "AF14C021587", {2026, 3, 3, 10, 2, 11},
            TestType::DefibSynch);
  Calibrate(r, Device::Defib);
  r.simulator = SimulatorSetting{kNormalSinus, 0, 600, 1000};
  r.synchTime = 0.042f;
  r.pulse = Defib(PulseSettings::Shape::Biphasic, 100.0);
  demoResults.push_back(r);

  r = Asset("AED-LOBBY-2", "Cardiac Science", "Powerheart G5", "1902-33871",
            {2026, 3, 3, 11, 30, 0}, TestType::AEDPulse);
  Calibrate(r, Device::Defib);
  r.simulator = SimulatorSetting{kVfCoarse, 0, 0, 500};
  r.pulse = Defib(PulseSettings::Shape::Biphasic, 150.0);
  demoResults.push_back(r);

  r = Asset("ICU-D-07", "Zoll", "R Series ALS", "AF14C021587", {2026, 3, 3, 10, 15, 42},
            TestType::PacerPulse);
  Calibrate(r, Device::Pacer);
  r.simulator = SimulatorSetting{kPacerOnly, 0, 700, 0};
  r.pacerModel = kZoll;
  r.pulseRate = 70.0f;
  r.pulse = Pacer(20.0, 40.0);
  demoResults.push_back(r);

  r = Asset("ED-MON-3", "Physio-Control", "LIFEPAK 15", "44022177", {2026, 3, 4, 8, 5, 19},
            TestType::PacerPulse);
  Calibrate(r, Device::Pacer);
  r.status = 0;
  r.comment = "Output low at 80 mA setting, sent for service";
  r.pacerModel = kPhysioControl;
  r.pulseRate = 80.0f;
  r.pulse = Pacer(40.0, 71.5);
  demoResults.push_back(r);

  r = Asset("ED-MON-3", "Physio-Control", "LIFEPAK 15", "44022177", {2026, 3, 4, 8, 12, 3},
            TestType::RefractoryPeriod);
  r.simulator = SimulatorSetting{kNormalSinus, 0, 600, 1000};
  r.pacerModel = kPhysioControl;
  r.pulseRate = 70.0f;
  r.pulsedRefractoryPeriod = 0.34f;
  r.sensedRefractoryPeriod = 0.3f;
  r.pulseWidth = 0.02f;
  demoResults.push_back(r);

  r = Asset("CCU-P-11", "Philips", "HeartStart XL+", "US51209876", {2026, 3, 4, 13, 47, 55},
            TestType::Sensitivity);
  r.simulator = SimulatorSetting{kNormalSinus, 0, 400, 2000};
  r.pacerModel = kPhilips;
  r.ecgInverted = true;
  r.pulseRate = 70.0f;
  r.sensitivity = 0.0025f;
  demoResults.push_back(r);

  r = Asset("CCU-P-11", "Philips", "HeartStart XL+", "US51209876", {2026, 3, 4, 14, 1, 9},
            TestType::PacerImmunity);
  r.simulator = SimulatorSetting{0x01, 0, 500, 1000};
  r.pacerModel = kPhilips;
  r.pulseRate = 70.0f;
  r.comment = "No pacing inhibition at 50 Hz mains interference";
  demoResults.push_back(r);

  r = Asset("TRAIN-SIM-1", "Laerdal", "HeartSim 200", "HS2-0091", {2026, 3, 5, 15, 20, 0},
            TestType::WaveformSimulator);
  r.simulator = SimulatorSetting{kNormalSinus, 0, 720, 1000};
  r.comment = "ECG display checked against the simulator";
  demoResults.push_back(r);

  r = Asset("AED-LOBBY-2", "Cardiac Science", "Powerheart G5", "1902-33871",
            {2026, 3, 5, 16, 2, 37}, TestType::GeneralObservation);
  r.comment = "Case cracked, label reads \"replace pads 04/2026\"";
  demoResults.push_back(r);

  return demoResults;
}

TesterScenario DemoTesterScenario() {
  TesterScenario scenario;
  scenario.identity = DemoIdentity();
  for (const auto& fields : DemoResultFields()) {
    scenario.results.push_back(StoredResultFrom(fields));
  }
  return scenario;
}

}  // namespace Dexal
