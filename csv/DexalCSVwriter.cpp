#include "csv/DexalCSVwriter.h"

#include <array>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "csv/DexalCsvText.h"
#include "csv/DexalDisplayNames.h"
#include "csv/DexalNumberFormat.h"

namespace Dexal {
namespace {

constexpr const char* kLineEnd = "\r\n";

int Verdict(std::uint8_t status) {
  if (status == 1) return 1;
  if (status == 0) return 2;
  return -1;
}

std::filesystem::path FilePath(const std::wstring& name) {
#ifdef _WIN32
  return std::filesystem::path(name);
#else
  return std::filesystem::path(Utf8FromWide(name));
#endif
}

// Seconds shown as milliseconds; these columns round the product to single precision first.
double MillisecondsInSingle(float seconds) {
  return static_cast<double>(static_cast<float>(static_cast<double>(seconds) * 1000.0));
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
  file.open(FilePath(fileName), mode);
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
  file.open(FilePath(fileName), mode);
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
  pending += "Asset ID";
  for (const char* text : {"Asset Make", "Asset Model", "Asset Serial", "Date", "Test Type",
                           "Status", "Comment", "NominalLoad"}) {
    Header(text);
  }
}

void DexalCSVwriter::WriteCommonValues(const DexalResult& result) {
  AppendTextCell(pending, result.assetId);
  QuotedCell(result.assetMake);
  QuotedCell(result.assetModel);
  QuotedCell(result.assetSerial);
  TextCell(StringFromDateTime(result.testDate));
  TextCell(StringFromTestType(result.testType));
  TextCell(StringFromPassFail(Verdict(result.status)));
  QuotedCell(result.comment);
  pending += separator;
  pending += std::to_string(result.nominalLoad);
}

bool DexalCSVwriter::visit(DexalDefibChargeTest& result) {
  BeginSection();
  WriteCommonHeaders();
  Header("DefibChargeTime");
  if (result.profile) DefibHeaders();
  EndLine();
  WriteCommonValues(result);
  FixedCell(result.chargeTime, 1);
  if (result.profile) DefibValues(*result.profile);
  EndLine();
  GraphLines(result.profile.get(), result.loadOhms, PulseKind::Defib);
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalDefibPulseTest& result) {
  BeginSection();
  WriteCommonHeaders();
  if (result.profile) DefibHeaders();
  EndLine();
  WriteCommonValues(result);
  if (result.profile) DefibValues(*result.profile);
  EndLine();
  GraphLines(result.profile.get(), result.loadOhms, PulseKind::Defib);
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalDefibSynchTest& result) {
  BeginSection();
  WriteCommonHeaders();
  Header("Synch Time (ms)");
  WaveformHeaders();
  if (result.profile) DefibHeaders();
  EndLine();
  WriteCommonValues(result);
  FixedCell(MillisecondsInSingle(result.synchTime), 1);
  WaveformValues(result.simWaveform);
  if (result.profile) DefibValues(*result.profile);
  EndLine();
  GraphLines(result.profile.get(), result.loadOhms, PulseKind::Defib);
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalAEDPulseTest& result) {
  BeginSection();
  WriteCommonHeaders();
  WaveformHeaders();
  if (result.profile) DefibHeaders();
  EndLine();
  WriteCommonValues(result);
  WaveformValues(result.simWaveform);
  if (result.profile) DefibValues(*result.profile);
  EndLine();
  GraphLines(result.profile.get(), result.loadOhms, PulseKind::Defib);
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalPacerPulseTest& result) {
  BeginSection();
  WriteCommonHeaders();
  WaveformHeaders();
  Header("Pacer Model");
  Header("Pacer Pulse Rate (ppm)");
  if (result.profile) PacerHeaders();
  EndLine();
  WriteCommonValues(result);
  WaveformValues(result.simWaveform);
  TextCell(StringFromPacerModel(result.pacerModel));
  FixedCell(result.pulseRate, 1);
  if (result.profile) PacerValues(*result.profile);
  EndLine();
  GraphLines(result.profile.get(), result.loadOhms, PulseKind::Pacer);
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalRefractoryPeriodTest& result) {
  BeginSection();
  WriteCommonHeaders();
  WaveformHeaders();
  Header("Pacer Model");
  Header("Pacer Pulse Rate (ppm)");
  Header("Pacer Pulsed Refractory Period - PRP (ms)");
  Header("Pacer Sensed Refractory Period - SRP (ms)");
  Header("Pulse Width (ms):");
  EndLine();
  WriteCommonValues(result);
  WaveformValues(result.simWaveform);
  TextCell(StringFromPacerModel(result.pacerModel));
  FixedCell(result.pulseRate, 1);
  FixedCell(MillisecondsInSingle(result.pulsedRefractoryPeriod), 0);
  FixedCell(MillisecondsInSingle(result.sensedRefractoryPeriod), 0);
  FixedCell(MillisecondsInSingle(result.pulseWidth), 0);
  EndLine();
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalSensitivityTest& result) {
  BeginSection();
  WriteCommonHeaders();
  // No rate column here: the rate of the simulated ECG plays no part in this test.
  Header("ECG Waveform");
  Header("ECG Signal inverted");
  Header("ECG Waveform peak (mV)");
  Header("Pacer Model");
  Header("Pacer Pulse Rate (ppm)");
  Header("Pacer Sensitivity (mV)");
  EndLine();
  WriteCommonValues(result);
  TextCell(StringFromWaveform(result.simWaveform.waveform));
  TextCell(StringFromEcgInverted(result.ecgInverted ? 1 : 0));
  AddHalfCell(result.simWaveform.peak);
  TextCell(StringFromPacerModel(result.pacerModel));
  FixedCell(result.pulseRate, 1);
  FixedCell(static_cast<double>(result.sensitivity) * 1000.0, 2);
  EndLine();
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalGeneralObservationTest& result) {
  BeginSection();
  WriteCommonHeaders();
  Header("Description");
  EndLine();
  WriteCommonValues(result);
  TextCell(result.observation);
  EndLine();
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalWaveformSimulatorTest& result) {
  BeginSection();
  WriteCommonHeaders();
  WaveformHeaders();
  EndLine();
  WriteCommonValues(result);
  WaveformValues(result.simWaveform);
  EndLine();
  EndSection();
  return true;
}

bool DexalCSVwriter::visit(DexalPacerImmunityTest& result) {
  BeginSection();
  WriteCommonHeaders();
  WaveformHeaders();
  Header("Pacer Model");
  Header("Pacer Pulse Rate (ppm)");
  EndLine();
  WriteCommonValues(result);
  WaveformValues(result.simWaveform);
  TextCell(StringFromPacerModel(result.pacerModel));
  FixedCell(result.pulseRate, 1);
  EndLine();
  EndSection();
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
  const std::uintmax_t before = std::filesystem::file_size(FilePath(fileName), error);
  file.write(pending.data(), static_cast<std::streamsize>(pending.size()));
  file.flush();
  pending.clear();
  if (!file) {
    file.close();
    if (!error) std::filesystem::resize_file(FilePath(fileName), before, error);
    throw std::runtime_error("Could not write to file\n" + Utf8FromWide(fileName));
  }
}

void DexalCSVwriter::CloseIfGood() {
  if (!file.fail() && file.is_open()) file.close();
}

void DexalCSVwriter::Header(const char* text) {
  pending += separator;
  pending += text;
}

void DexalCSVwriter::TextCell(const std::string& text) {
  pending += separator;
  AppendTextCell(pending, text);
}

void DexalCSVwriter::QuotedCell(const std::string& text) {
  pending += separator;
  AppendQuotedCell(pending, text);
}

void DexalCSVwriter::FixedCell(double value, int digits) {
  pending += separator;
  AppendFixed(pending, value, digits);
}

void DexalCSVwriter::AddHalfCell(double value) {
  pending += separator;
  AppendIntegerAddHalf(pending, value);
}

void DexalCSVwriter::AwayFromZeroCell(double value) {
  pending += separator;
  AppendIntegerAwayFromZero(pending, value);
}

void DexalCSVwriter::EndLine() { pending += kLineEnd; }

void DexalCSVwriter::WaveformHeaders() {
  Header("ECG Waveform");
  Header("ECG Waveform rate");
  Header("ECG Waveform peak (mV)");
}

void DexalCSVwriter::WaveformValues(const DexalSimWaveForm& waveform) {
  TextCell(StringFromWaveform(waveform.waveform));
  // The rate is held in tenths of its unit; a code without a unit still gets the blank.
  std::string rate = FormatFixed(static_cast<double>(waveform.rate) / 10.0, 1);
  rate += ' ';
  rate += UnitFromWaveform(waveform.waveform);
  TextCell(rate);
  AddHalfCell(waveform.peak);
}

void DexalCSVwriter::DefibHeaders() {
  for (const char* text :
       {"Defib Energy (J)", "Defib Peak Voltage (V)", "Defib Peak Current (A)",
        "Defib Min Voltage (V)", "Defib Max Voltage (V)", "Defib Pulse Width (ms)"}) {
    Header(text);
  }
}

void DexalCSVwriter::DefibValues(const DexalProfile& profile) {
  FixedCell(profile.energy, 1);
  AddHalfCell(profile.peakVoltage);
  FixedCell(profile.peakCurrent, 2);
  AddHalfCell(profile.minVoltage);
  AddHalfCell(profile.maxVoltage);
  FixedCell(static_cast<double>(profile.pulseWidth) * 1000.0, 1);
}

void DexalCSVwriter::PacerHeaders() {
  for (const char* text :
       {"Pacer Pulse Energy (mJ)", "Pacer Pulse Peak Voltage (mV)", "Pacer Pulse Peak Current (mA)",
        "Pacer Pulse Min Voltage (mV)", "Pacer Pulse Max Voltage (mV)", "Pacer Pulse Width (ms)"}) {
    Header(text);
  }
}

void DexalCSVwriter::PacerValues(const DexalProfile& profile) {
  FixedCell(static_cast<double>(profile.energy) * 1000.0, 2);
  AddHalfCell(static_cast<double>(profile.peakVoltage) * 1000.0);
  AddHalfCell(static_cast<double>(profile.peakCurrent) * 1000.0);
  AwayFromZeroCell(static_cast<double>(profile.minVoltage) * 1000.0);
  AwayFromZeroCell(static_cast<double>(profile.maxVoltage) * 1000.0);
  FixedCell(static_cast<double>(profile.pulseWidth) * 1000.0, 1);
}

void DexalCSVwriter::GraphLines(const DexalProfile* profile, float loadOhms, PulseKind kind) {
  if (profile == nullptr || !outputGraphPoints) return;
  const bool pacer = kind == PulseKind::Pacer;
  pending += "Time (ms)";
  Header(pacer ? "Current (mA)" : "Current (A)");
  Header(pacer ? "Voltage (mV)" : "Voltage (V)");
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
