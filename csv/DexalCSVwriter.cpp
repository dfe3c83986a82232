#include "csv/DexalCSVwriter.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "csv/DexalCsvColumns.h"
#include "csv/DexalCsvText.h"
#include "csv/DexalNumberFormat.h"
#include "platform/WideText.h"

namespace Dexal {

DexalCSVwriter::DexalCSVwriter(std::wstring name, bool graphPoints)
    : fileName(std::move(name)), outputGraphPoints(graphPoints) {
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
  pending += LineOfCells(kTesterHeaders);
  EndLine();
  AppendTextCell(pending, TextModeLineEnds(info.serialNumber));
  pending += kCsvSeparator;
  pending += serviceDate;
  EndLine();
  WritePending();
  CloseIfGood();
}

void DexalCSVwriter::WriteCommonHeaders() {
  AppendCells<DexalResult>(pending, CommonColumns(), nullptr, true);
}

void DexalCSVwriter::WriteCommonValues(const DexalResult& result) {
  AppendCells(pending, CommonColumns(), &result, true);
}

// The test types' table says which pulse a record class carries; the class holds one then.
template <class Record>
void DexalCSVwriter::Section(const Record& result) {
  constexpr DexalPulseKind kPulse = TestTypeOfRecord<Record>().pulse;
  static_assert((kPulse != kNoPulse) == requires { result.profile; });
  const DexalProfile* profile = nullptr;
  if constexpr (kPulse != kNoPulse) profile = result.profile.get();
  const CsvColumns<Record>& columns = ColumnsOf(result);
  BeginSection();
  WriteCommonHeaders();
  AppendCells<Record>(pending, columns, nullptr);
  if (profile != nullptr) AppendCells<DexalProfile>(pending, PulseColumns(kPulse), nullptr);
  EndLine();
  WriteCommonValues(result);
  AppendCells(pending, columns, &result);
  if (profile != nullptr) AppendCells(pending, PulseColumns(kPulse), profile);
  EndLine();
  GraphLines(profile, result.loadOhms, kPulse);
  EndSection();
}

bool DexalCSVwriter::visit(DexalPacerImmunityTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalWaveformSimulatorTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalGeneralObservationTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalSensitivityTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalRefractoryPeriodTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalPacerPulseTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalAEDPulseTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalDefibSynchTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalDefibPulseTest& result) {
  Section(result);
  return true;
}

bool DexalCSVwriter::visit(DexalDefibChargeTest& result) {
  Section(result);
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

void DexalCSVwriter::EndLine() { pending += kCsvLineEnd; }

void DexalCSVwriter::GraphLines(const DexalProfile* profile, float loadOhms, DexalPulseKind kind) {
  if (profile == nullptr || !outputGraphPoints) return;
  const bool pacer = kind == kPacerPulse;
  pending += LineOfCells(GraphHeadersOf(kind));
  EndLine();
  const double load = loadOhms;
  // One line at a time in a buffer of its own: appending cell by cell costs more than the
  // numbers themselves.
  std::array<char, 3 * kGeneralTextSize + 4> line{};
  pending.reserve(pending.size() + profile->points.size() * 32);
  for (const DexalGraphPoint& point : profile->points) {
    const double current = point.value / load;
    char* p = WriteGeneral(line.data(), point.timeMs);
    *p++ = kCsvSeparator;
    p = WriteGeneral(p, pacer ? current * 1000.0 : current);
    *p++ = kCsvSeparator;
    p = WriteGeneral(p, pacer ? point.value * 1000.0 : point.value);
    p = std::copy(kCsvLineEnd.begin(), kCsvLineEnd.end(), p);
    pending.append(line.data(), p);
  }
}

}  // namespace Dexal
