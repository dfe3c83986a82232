#include "csv/DexalCsvColumns.h"

#include <initializer_list>
#include <utility>

#include "csv/DexalCsvText.h"
#include "csv/DexalDisplayNames.h"
#include "csv/DexalNumberFormat.h"
#include "csv/DexalVerdict.h"

namespace Dexal {
namespace {

// Seconds shown as milliseconds; these columns round the product to single precision first.
double MillisecondsInSingle(float seconds) {
  return static_cast<double>(static_cast<float>(static_cast<double>(seconds) * 1000.0));
}

// Seconds as milliseconds, volts as millivolts and so on.
double Milli(float value) { return static_cast<double>(value) * 1000.0; }

// A text's line feeds are stored as CR LF, as a text-mode stream on Windows stores them.
CsvCell Text(std::string text) {
  return {CsvCell::Format::Text, TextModeLineEnds(std::move(text))};
}
CsvCell Quoted(std::string text) {
  return {CsvCell::Format::Quoted, TextModeLineEnds(std::move(text))};
}
CsvCell Fixed(double value, int digits) { return {CsvCell::Format::Fixed, {}, value, digits}; }
CsvCell AddHalf(double value) { return {CsvCell::Format::AddHalf, {}, value}; }
CsvCell AwayFromZero(double value) { return {CsvCell::Format::AwayFromZero, {}, value}; }

template <class Record>
CsvColumns<Record> Join(std::initializer_list<CsvColumns<Record>> groups) {
  CsvColumns<Record> all;
  for (const CsvColumns<Record>& group : groups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

// The rate is held in tenths of its unit; a code without a unit still gets the blank.
std::string RateText(const DexalSimWaveForm& waveform) {
  std::string rate = FormatFixed(static_cast<double>(waveform.rate) / 10.0, 1);
  rate += ' ';
  rate += UnitFromWaveform(waveform.waveform);
  return rate;
}

template <class R>
CsvColumns<R> WaveformColumns() {
  return {
      {"ECG Waveform", [](const R& r) { return Text(StringFromWaveform(r.simWaveform.waveform)); }},
      {"ECG Waveform rate", [](const R& r) { return Text(RateText(r.simWaveform)); }},
      {"ECG Waveform peak (mV)", [](const R& r) { return AddHalf(r.simWaveform.peak); }},
  };
}

template <class R>
CsvColumns<R> PacerColumns() {
  return {
      {"Pacer Model", [](const R& r) { return Text(StringFromPacerModel(r.pacerModel)); }},
      {"Pacer Pulse Rate (ppm)", [](const R& r) { return Fixed(r.pulseRate, 1); }},
  };
}

}  // namespace

void AppendCell(std::string& out, const CsvCell& cell) {
  switch (cell.format) {
    case CsvCell::Format::Text:
      return AppendTextCell(out, cell.text);
    case CsvCell::Format::Quoted:
      return AppendQuotedCell(out, cell.text);
    case CsvCell::Format::Fixed:
      return AppendFixed(out, cell.number, cell.digits);
    case CsvCell::Format::AddHalf:
      return AppendIntegerAddHalf(out, cell.number);
    case CsvCell::Format::AwayFromZero:
      return AppendIntegerAwayFromZero(out, cell.number);
  }
}

const CsvColumns<DexalResult>& CommonColumns() {
  using R = DexalResult;
  static const CsvColumns<R> columns = {
      {kCommonHeaders[kAssetIdColumn], [](const R& r) { return Text(r.assetId); }},
      {kCommonHeaders[kAssetMakeColumn], [](const R& r) { return Quoted(r.assetMake); }},
      {kCommonHeaders[kAssetModelColumn], [](const R& r) { return Quoted(r.assetModel); }},
      {kCommonHeaders[kAssetSerialColumn], [](const R& r) { return Quoted(r.assetSerial); }},
      {kCommonHeaders[kDateColumn],
       [](const R& r) { return Text(StringFromDateTime(r.testDate)); }},
      {kCommonHeaders[kTestTypeColumn],
       [](const R& r) { return Text(StringFromTestType(r.testType)); }},
      {kCommonHeaders[kStatusColumn],
       [](const R& r) { return Text(StringFromPassFail(VerdictFromStatus(r.status))); }},
      {kCommonHeaders[kCommentColumn], [](const R& r) { return Quoted(r.comment); }},
      {kCommonHeaders[kNominalLoadColumn],
       [](const R& r) { return Text(std::to_string(r.nominalLoad)); }},
  };
  return columns;
}

const CsvColumns<DexalDefibChargeTest>& ColumnsOf(const DexalDefibChargeTest&) {
  using R = DexalDefibChargeTest;
  static const CsvColumns<R> columns = {
      {"DefibChargeTime", [](const R& r) { return Fixed(r.chargeTime, 1); }}};
  return columns;
}

const CsvColumns<DexalDefibPulseTest>& ColumnsOf(const DexalDefibPulseTest&) {
  static const CsvColumns<DexalDefibPulseTest> columns;
  return columns;
}

const CsvColumns<DexalDefibSynchTest>& ColumnsOf(const DexalDefibSynchTest&) {
  using R = DexalDefibSynchTest;
  static const CsvColumns<R> columns = Join<R>({
      {{"Synch Time (ms)", [](const R& r) { return Fixed(MillisecondsInSingle(r.synchTime), 1); }}},
      WaveformColumns<R>(),
  });
  return columns;
}

const CsvColumns<DexalAEDPulseTest>& ColumnsOf(const DexalAEDPulseTest&) {
  static const auto columns = WaveformColumns<DexalAEDPulseTest>();
  return columns;
}

const CsvColumns<DexalPacerPulseTest>& ColumnsOf(const DexalPacerPulseTest&) {
  using R = DexalPacerPulseTest;
  static const CsvColumns<R> columns = Join<R>({WaveformColumns<R>(), PacerColumns<R>()});
  return columns;
}

const CsvColumns<DexalRefractoryPeriodTest>& ColumnsOf(const DexalRefractoryPeriodTest&) {
  using R = DexalRefractoryPeriodTest;
  static const CsvColumns<R> columns = Join<R>({
      WaveformColumns<R>(),
      PacerColumns<R>(),
      {
          {"Pacer Pulsed Refractory Period - PRP (ms)",
           [](const R& r) { return Fixed(MillisecondsInSingle(r.pulsedRefractoryPeriod), 0); }},
          {"Pacer Sensed Refractory Period - SRP (ms)",
           [](const R& r) { return Fixed(MillisecondsInSingle(r.sensedRefractoryPeriod), 0); }},
          {"Pulse Width (ms):",
           [](const R& r) { return Fixed(MillisecondsInSingle(r.pulseWidth), 0); }},
      },
  });
  return columns;
}

const CsvColumns<DexalSensitivityTest>& ColumnsOf(const DexalSensitivityTest&) {
  using R = DexalSensitivityTest;
  // No rate column here: the rate of the simulated ECG plays no part in this test.
  static const CsvColumns<R> columns = Join<R>({
      {
          {"ECG Waveform",
           [](const R& r) { return Text(StringFromWaveform(r.simWaveform.waveform)); }},
          {"ECG Signal inverted",
           [](const R& r) { return Text(StringFromEcgInverted(r.ecgInverted ? 1 : 0)); }},
          {"ECG Waveform peak (mV)", [](const R& r) { return AddHalf(r.simWaveform.peak); }},
      },
      PacerColumns<R>(),
      {{"Pacer Sensitivity (mV)", [](const R& r) { return Fixed(Milli(r.sensitivity), 2); }}},
  });
  return columns;
}

const CsvColumns<DexalGeneralObservationTest>& ColumnsOf(const DexalGeneralObservationTest&) {
  using R = DexalGeneralObservationTest;
  static const CsvColumns<R> columns = {
      {"Description", [](const R& r) { return Text(r.observation); }}};
  return columns;
}

const CsvColumns<DexalWaveformSimulatorTest>& ColumnsOf(const DexalWaveformSimulatorTest&) {
  static const auto columns = WaveformColumns<DexalWaveformSimulatorTest>();
  return columns;
}

const CsvColumns<DexalPacerImmunityTest>& ColumnsOf(const DexalPacerImmunityTest&) {
  using R = DexalPacerImmunityTest;
  static const CsvColumns<R> columns = Join<R>({WaveformColumns<R>(), PacerColumns<R>()});
  return columns;
}

const CsvColumns<DexalProfile>& PulseColumns(DexalPulseKind kind) {
  using P = DexalProfile;
  static const CsvColumns<P> defib = {
      {"Defib Energy (J)", [](const P& p) { return Fixed(p.energy, 1); }},
      {"Defib Peak Voltage (V)", [](const P& p) { return AddHalf(p.peakVoltage); }},
      {"Defib Peak Current (A)", [](const P& p) { return Fixed(p.peakCurrent, 2); }},
      {"Defib Min Voltage (V)", [](const P& p) { return AddHalf(p.minVoltage); }},
      {"Defib Max Voltage (V)", [](const P& p) { return AddHalf(p.maxVoltage); }},
      {"Defib Pulse Width (ms)", [](const P& p) { return Fixed(Milli(p.pulseWidth), 1); }},
  };
  // A pacer's pulse is shown in millijoules, millivolts and milliamperes.
  static const CsvColumns<P> pacer = {
      {"Pacer Pulse Energy (mJ)", [](const P& p) { return Fixed(Milli(p.energy), 2); }},
      {"Pacer Pulse Peak Voltage (mV)", [](const P& p) { return AddHalf(Milli(p.peakVoltage)); }},
      {"Pacer Pulse Peak Current (mA)", [](const P& p) { return AddHalf(Milli(p.peakCurrent)); }},
      {"Pacer Pulse Min Voltage (mV)",
       [](const P& p) { return AwayFromZero(Milli(p.minVoltage)); }},
      {"Pacer Pulse Max Voltage (mV)",
       [](const P& p) { return AwayFromZero(Milli(p.maxVoltage)); }},
      {"Pacer Pulse Width (ms)", [](const P& p) { return Fixed(Milli(p.pulseWidth), 1); }},
  };
  static const CsvColumns<P> none;
  switch (kind) {
    case kDefibPulse:
      return defib;
    case kPacerPulse:
      return pacer;
    case kNoPulse:
      break;
  }
  return none;
}

const GraphHeaders& GraphHeadersOf(DexalPulseKind kind) {
  return kind == kPacerPulse ? kPacerGraphHeaders : kDefibGraphHeaders;
}

}  // namespace Dexal
