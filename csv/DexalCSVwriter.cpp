#include "csv/DexalCSVwriter.h"

#include <array>
#include <filesystem>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

#include "csv/DexalCsvLayout.h"
#include "csv/DexalCsvText.h"
#include "csv/DexalDisplayNames.h"
#include "csv/DexalNumberFormat.h"
#include "platform/WideText.h"

namespace Dexal {
namespace {

constexpr const char* kLineEnd = "\r\n";

int Verdict(std::uint8_t status) {
  if (status == 1) return 1;
  if (status == 0) return 2;
  return -1;
}

// Seconds shown as milliseconds; these columns round the product to single precision first.
double MillisecondsInSingle(float seconds) {
  return static_cast<double>(static_cast<float>(static_cast<double>(seconds) * 1000.0));
}

// Seconds as milliseconds, volts as millivolts and so on.
double Milli(float value) { return static_cast<double>(value) * 1000.0; }

// One value cell and its format.
struct Cell {
  enum class Format { Text, Quoted, Fixed, AddHalf, AwayFromZero };
  Format format;
  std::string text;
  double number = 0.0;
  int digits = 0;
};

Cell Text(std::string text) { return {Cell::Format::Text, std::move(text)}; }
Cell Quoted(std::string text) { return {Cell::Format::Quoted, std::move(text)}; }
Cell Fixed(double value, int digits) { return {Cell::Format::Fixed, {}, value, digits}; }
Cell AddHalf(double value) { return {Cell::Format::AddHalf, {}, value}; }
Cell AwayFromZero(double value) { return {Cell::Format::AwayFromZero, {}, value}; }

void AppendCell(std::string& out, const Cell& cell) {
  switch (cell.format) {
    case Cell::Format::Text:
      return AppendTextCell(out, cell.text);
    case Cell::Format::Quoted:
      return AppendQuotedCell(out, cell.text);
    case Cell::Format::Fixed:
      return AppendFixed(out, cell.number, cell.digits);
    case Cell::Format::AddHalf:
      return AppendIntegerAddHalf(out, cell.number);
    case Cell::Format::AwayFromZero:
      return AppendIntegerAwayFromZero(out, cell.number);
  }
}

// One column of a section: its header text beside how its cell is made from the record. A pulse
// column is left out, header and value, when the record holds no pulse.
template <class Record>
struct Column {
  std::string_view header;
  Cell (*cell)(const Record&);
  bool pulse = false;
};

template <class Record>
using Columns = std::vector<Column<Record>>;

template <class Record>
Columns<Record> Join(std::initializer_list<Columns<Record>> groups) {
  Columns<Record> all;
  for (const Columns<Record>& group : groups) all.insert(all.end(), group.begin(), group.end());
  return all;
}

template <class Record>
const DexalProfile* ProfileOf(const Record& record) {
  if constexpr (requires { record.profile; }) return record.profile.get();
  return nullptr;
}

// A table's header cells (no record) or value cells, each after the separator but the first of a
// line; pulse columns only with a pulse.
template <class Record>
void AppendLine(std::string& out, const std::string& separator, const Columns<Record>& columns,
                const Record* record, bool withPulse, bool first = false) {
  for (const Column<Record>& column : columns) {
    if (column.pulse && !withPulse) continue;
    if (!first) out += separator;
    first = false;
    if (record == nullptr) {
      out += column.header;
    } else {
      AppendCell(out, column.cell(*record));
    }
  }
}

const Columns<DexalResult>& CommonColumns() {
  using R = DexalResult;
  static const Columns<R> columns = {
      {kCommonHeaders[kAssetIdColumn], [](const R& r) { return Text(r.assetId); }},
      {kCommonHeaders[kAssetMakeColumn], [](const R& r) { return Quoted(r.assetMake); }},
      {kCommonHeaders[kAssetModelColumn], [](const R& r) { return Quoted(r.assetModel); }},
      {kCommonHeaders[kAssetSerialColumn], [](const R& r) { return Quoted(r.assetSerial); }},
      {kCommonHeaders[kDateColumn],
       [](const R& r) { return Text(StringFromDateTime(r.testDate)); }},
      {kCommonHeaders[kTestTypeColumn],
       [](const R& r) { return Text(StringFromTestType(r.testType)); }},
      {kCommonHeaders[kStatusColumn],
       [](const R& r) { return Text(StringFromPassFail(Verdict(r.status))); }},
      {kCommonHeaders[kCommentColumn], [](const R& r) { return Quoted(r.comment); }},
      {kCommonHeaders[kNominalLoadColumn],
       [](const R& r) { return Text(std::to_string(r.nominalLoad)); }},
  };
  return columns;
}

// The rate is held in tenths of its unit; a code without a unit still gets the blank.
std::string RateText(const DexalSimWaveForm& waveform) {
  std::string rate = FormatFixed(static_cast<double>(waveform.rate) / 10.0, 1);
  rate += ' ';
  rate += UnitFromWaveform(waveform.waveform);
  return rate;
}

template <class R>
Columns<R> WaveformColumns() {
  return {
      {"ECG Waveform", [](const R& r) { return Text(StringFromWaveform(r.simWaveform.waveform)); }},
      {"ECG Waveform rate", [](const R& r) { return Text(RateText(r.simWaveform)); }},
      {"ECG Waveform peak (mV)", [](const R& r) { return AddHalf(r.simWaveform.peak); }},
  };
}

template <class R>
Columns<R> PacerColumns() {
  return {
      {"Pacer Model", [](const R& r) { return Text(StringFromPacerModel(r.pacerModel)); }},
      {"Pacer Pulse Rate (ppm)", [](const R& r) { return Fixed(r.pulseRate, 1); }},
  };
}

template <class R>
Columns<R> DefibPulseColumns() {
  return {
      {"Defib Energy (J)", [](const R& r) { return Fixed(r.profile->energy, 1); }, true},
      {"Defib Peak Voltage (V)", [](const R& r) { return AddHalf(r.profile->peakVoltage); }, true},
      {"Defib Peak Current (A)", [](const R& r) { return Fixed(r.profile->peakCurrent, 2); }, true},
      {"Defib Min Voltage (V)", [](const R& r) { return AddHalf(r.profile->minVoltage); }, true},
      {"Defib Max Voltage (V)", [](const R& r) { return AddHalf(r.profile->maxVoltage); }, true},
      {"Defib Pulse Width (ms)", [](const R& r) { return Fixed(Milli(r.profile->pulseWidth), 1); },
       true},
  };
}

// A pacer's pulse is shown in millijoules, millivolts and milliamperes.
template <class R>
Columns<R> PacerPulseColumns() {
  return {
      {"Pacer Pulse Energy (mJ)", [](const R& r) { return Fixed(Milli(r.profile->energy), 2); },
       true},
      {"Pacer Pulse Peak Voltage (mV)",
       [](const R& r) { return AddHalf(Milli(r.profile->peakVoltage)); }, true},
      {"Pacer Pulse Peak Current (mA)",
       [](const R& r) { return AddHalf(Milli(r.profile->peakCurrent)); }, true},
      {"Pacer Pulse Min Voltage (mV)",
       [](const R& r) { return AwayFromZero(Milli(r.profile->minVoltage)); }, true},
      {"Pacer Pulse Max Voltage (mV)",
       [](const R& r) { return AwayFromZero(Milli(r.profile->maxVoltage)); }, true},
      {"Pacer Pulse Width (ms)", [](const R& r) { return Fixed(Milli(r.profile->pulseWidth), 1); },
       true},
  };
}

}  // namespace

DexalCSVwriter::DexalCSVwriter(std::wstring name, bool graphPoints)
    : fileName(std::move(name)), separator(","), outputGraphPoints(graphPoints) {
  OpenForAppend();
}

DexalCSVwriter::~DexalCSVwriter() {
  if (file.is_open()) file.close();
}

void DexalCSVwriter::OpenForAppend() {
  if (file.is_open()) return;
  // Binary mode: line ends are written as CR LF here, on every platform.
  const auto mode = std::ios::out | std::ios::app | std::ios::binary;
  file.open(PathFromWide(fileName), mode);
  if (!file.is_open()) {
    file.setstate(std::ios::failbit);
    throw std::runtime_error("Could not open file for appending\n" + Utf8FromWide(fileName));
  }
  file.clear();
}

void DexalCSVwriter::TruncateFile() {
  if (file.is_open()) file.close();
  file.clear();
  const auto mode = std::ios::out | std::ios::trunc | std::ios::binary;
  file.open(PathFromWide(fileName), mode);
  if (file.is_open() && !file.fail()) {
    file.close();
    return;
  }
  throw std::runtime_error("Could not truncate file\n" + Utf8FromWide(fileName));
}

void DexalCSVwriter::WriteTesterHeader(const DexalTesterInfo& info) {
  const std::string serviceDate = DateStringFromDateTime(info.serviceDate);
  OpenForAppend();
  pending.clear();
  pending += "Serial";
  pending += separator;
  pending += "Service Date";
  EndLine();
  AppendTextCell(pending, info.serialNumber);
  pending += separator;
  pending += serviceDate;
  EndLine();
  WritePending();
  CloseIfGood();
}

void DexalCSVwriter::WriteCommonHeaders() {
  AppendLine<DexalResult>(pending, separator, CommonColumns(), nullptr, false, true);
}

void DexalCSVwriter::WriteCommonValues(const DexalResult& result) {
  AppendLine(pending, separator, CommonColumns(), &result, false, true);
}

template <class Record, class Table>
void DexalCSVwriter::Section(const Record& result, const Table& columns, PulseKind kind) {
  const DexalProfile* profile = ProfileOf(result);
  BeginSection();
  WriteCommonHeaders();
  AppendLine<Record>(pending, separator, columns, nullptr, profile != nullptr);
  EndLine();
  WriteCommonValues(result);
  AppendLine(pending, separator, columns, &result, profile != nullptr);
  EndLine();
  GraphLines(profile, result.loadOhms, kind);
  EndSection();
}

bool DexalCSVwriter::visit(DexalDefibChargeTest& result) {
  using R = DexalDefibChargeTest;
  static const Columns<R> columns = Join<R>({
      {{"DefibChargeTime", [](const R& r) { return Fixed(r.chargeTime, 1); }}},
      DefibPulseColumns<R>(),
  });
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalDefibPulseTest& result) {
  static const auto columns = DefibPulseColumns<DexalDefibPulseTest>();
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalDefibSynchTest& result) {
  using R = DexalDefibSynchTest;
  static const Columns<R> columns = Join<R>({
      {{"Synch Time (ms)", [](const R& r) { return Fixed(MillisecondsInSingle(r.synchTime), 1); }}},
      WaveformColumns<R>(),
      DefibPulseColumns<R>(),
  });
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalAEDPulseTest& result) {
  using R = DexalAEDPulseTest;
  static const Columns<R> columns = Join<R>({WaveformColumns<R>(), DefibPulseColumns<R>()});
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalPacerPulseTest& result) {
  using R = DexalPacerPulseTest;
  static const Columns<R> columns =
      Join<R>({WaveformColumns<R>(), PacerColumns<R>(), PacerPulseColumns<R>()});
  Section(result, columns, PulseKind::Pacer);
  return true;
}

bool DexalCSVwriter::visit(DexalRefractoryPeriodTest& result) {
  using R = DexalRefractoryPeriodTest;
  static const Columns<R> columns = Join<R>({
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
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalSensitivityTest& result) {
  using R = DexalSensitivityTest;
  // No rate column here: the rate of the simulated ECG plays no part in this test.
  static const Columns<R> columns = Join<R>({
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
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalGeneralObservationTest& result) {
  using R = DexalGeneralObservationTest;
  static const Columns<R> columns = {
      {"Description", [](const R& r) { return Text(r.observation); }}};
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalWaveformSimulatorTest& result) {
  static const auto columns = WaveformColumns<DexalWaveformSimulatorTest>();
  Section(result, columns);
  return true;
}

bool DexalCSVwriter::visit(DexalPacerImmunityTest& result) {
  using R = DexalPacerImmunityTest;
  static const Columns<R> columns = Join<R>({WaveformColumns<R>(), PacerColumns<R>()});
  Section(result, columns);
  return true;
}

void DexalCSVwriter::BeginSection() {
  OpenForAppend();
  pending.clear();
}

void DexalCSVwriter::EndSection() {
  EndLine();
  WritePending();
  CloseIfGood();
}

void DexalCSVwriter::WritePending() {
  // A write that fails partway (disk full, file size limit) is cut back to where it began, so
  // that the file holds whole sections only and a retry does not follow half a section.
  std::error_code error;
  const std::uintmax_t before = std::filesystem::file_size(PathFromWide(fileName), error);
  file.write(pending.data(), static_cast<std::streamsize>(pending.size()));
  file.flush();
  pending.clear();
  if (!file) {
    file.close();
    if (!error) std::filesystem::resize_file(PathFromWide(fileName), before, error);
    throw std::runtime_error("Could not write to file\n" + Utf8FromWide(fileName));
  }
}

void DexalCSVwriter::CloseIfGood() {
  if (!file.fail() && file.is_open()) file.close();
}

void DexalCSVwriter::EndLine() { pending += kLineEnd; }

void DexalCSVwriter::GraphLines(const DexalProfile* profile, float loadOhms, PulseKind kind) {
  if (profile == nullptr || !outputGraphPoints) return;
  const bool pacer = kind == PulseKind::Pacer;
  const GraphHeaders& headers = pacer ? kPacerGraphHeaders : kDefibGraphHeaders;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    if (i > 0) pending += separator;
    pending += headers[i];
  }
  EndLine();
  const double load = loadOhms;
  // One line at a time in a buffer of its own: appending cell by cell costs more than the
  // numbers themselves.
  std::array<char, 3 * kGeneralTextSize + 4> line{};
  const char comma = separator.front();
  pending.reserve(pending.size() + profile->points.size() * 32);
  for (const DexalGraphPoint& point : profile->points) {
    const double current = point.value / load;
    char* p = WriteGeneral(line.data(), point.timeMs);
    *p++ = comma;
    p = WriteGeneral(p, pacer ? current * 1000.0 : current);
    *p++ = comma;
    p = WriteGeneral(p, pacer ? point.value * 1000.0 : point.value);
    *p++ = '\r';
    *p++ = '\n';
    pending.append(line.data(), p);
  }
}

}  // namespace Dexal
