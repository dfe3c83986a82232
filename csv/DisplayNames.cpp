#include "csv/DisplayNames.h"

#include <algorithm>
#include <iterator>

namespace Dexal {

namespace {

constexpr const char* unknownText = "???";

template <typename Code>
struct NamedCode {
  Code code;
  const char* text;
};

template <typename Code, std::size_t N>
std::string Lookup(const NamedCode<Code> (&table)[N], Code code, const char* otherwise) {
  const auto found = std::find_if(std::begin(table), std::end(table),
                                  [code](const NamedCode<Code>& row) { return row.code == code; });
  return found == std::end(table) ? std::string(otherwise) : std::string(found->text);
}

constexpr NamedCode<std::uint8_t> testTypes[] = {
    {0x01, "General Comments"}, {0x02, "Waveform Simulation"},     {0x10, "Defib Pulse"},
    {0x11, "Defib Charge"},     {0x12, "Defib Cardiac Sync Time"}, {0x20, "AED Pulse"},
    {0x30, "Pacer Pulse"},      {0x31, "Pacer Refractory Period"}, {0x32, "Pacer Sensitivity"},
    {0x33, "Pacer Immunity"},
};

constexpr NamedCode<std::uint16_t> pacerModels[] = {
    {0x0000, "Default"},
    {0x0010, "Zoll"},
    {0x0020, "PhysioControl"},
    {0x0030, "Philips / HP / Laerdal"},
    {0x0040, "GE"},
    {0x0050, "Schiller"},
    {0x0060, "Mindray"},
    {0x0070, "WelchAllyn"},
    {0x0080, "CU Medical"},
};

// The 0x53 text carries two blanks after its first comma, as the tester's makers wrote it.
constexpr NamedCode<std::uint8_t> waveforms[] = {
    {0x00, "Asystole"},
    {0x01, "Sine"},
    {0x02, "Square"},
    {0x03, "Triangle"},
    {0x04, "Sawtooth"},
    {0x05, "Inverse Sawtooth"},
    {0x06, "Pulse (1/16 duty cycle)"},
    {0x10, "Normal Sinus Rhythm"},
    {0x11, "ST Elevation"},
    {0x12, "ST Depression"},
    {0x13, "Myocardial Infarction"},
    {0x14, "Tall T"},
    {0x20, "Sinus Arrhythmia"},
    {0x21, "Missing Beat"},
    {0x22, "Atrial Flutter"},
    {0x23, "Atrial Fibrillation"},
    {0x24, "Paroxysmal Atrial Tachycardia"},
    {0x25, "Premature Junctional Contraction"},
    {0x30, "First Degree AV Block"},
    {0x31, "Second Degree AV Block Mobitz I"},
    {0x32, "Second Degree AV Block Mobitz II"},
    {0x33, "Third Degree AV Block"},
    {0x34, "Right Bundle Branch Block"},
    {0x35, "Left Bundle Branch Block"},
    {0x36, "Left Anterior Hemiblock"},
    {0x40, "Premature Ventricular Contraction Intermittent"},
    {0x41, "Premature Ventricular Contraction Continuous"},
    {0x42, "Bigeminy"},
    {0x43, "Trigeminy"},
    {0x44, "Right Focal PVC"},
    {0x45, "Ventricular Flutter"},
    {0x46, "Ventricular Fibrillation Coarse"},
    {0x47, "Ventricular Fibrillation Fine"},
    {0x48, "Monomorphic Ventricular Tachycardia"},
    {0x49, "Polymorphic Ventricular Tachycardia"},
    {0x50, "Pacer (only)"},
    {0x51, "Atrial pacing, no sensing, so response to sensing"},
    {0x52, "Atrial Pacing, Atrial sensing, Inhibited by intrinsic P wave"},
    {0x53, "Ventricular pacing,  Ventricular sensing, Inhibited by intrisinc R wave"},
    {0x54, "Dual atrial & ventricular pacing, Dual sensing, Inhibited by intrinsic P and R waves"},
    {0x60, "R Wave Detection"},
    {0x61, "Pacer testing pulses for refractory period tests etc"},
    {0x62, "DC output (for calibration or verification)"},
};

// Not derived from the names: Asystole and the two signal codes have no rate unit, while
// R Wave Detection counts beats.
constexpr NamedCode<std::uint8_t> waveformUnits[] = {
    {0x01, "Hz"},  {0x02, "Hz"},  {0x03, "Hz"},  {0x04, "Hz"},  {0x05, "Hz"},  {0x06, "Hz"},
    {0x10, "bpm"}, {0x11, "bpm"}, {0x12, "bpm"}, {0x13, "bpm"}, {0x14, "bpm"}, {0x20, "bpm"},
    {0x21, "bpm"}, {0x22, "bpm"}, {0x23, "bpm"}, {0x24, "bpm"}, {0x25, "bpm"}, {0x30, "bpm"},
    {0x31, "bpm"}, {0x32, "bpm"}, {0x33, "bpm"}, {0x34, "bpm"}, {0x35, "bpm"}, {0x36, "bpm"},
    {0x40, "bpm"}, {0x41, "bpm"}, {0x42, "bpm"}, {0x43, "bpm"}, {0x44, "bpm"}, {0x45, "bpm"},
    {0x46, "bpm"}, {0x47, "bpm"}, {0x48, "bpm"}, {0x49, "bpm"}, {0x50, "bpm"}, {0x51, "bpm"},
    {0x52, "bpm"}, {0x53, "bpm"}, {0x54, "bpm"}, {0x60, "bpm"},
};

}  // namespace

std::string StringFromTestType(std::uint8_t testType) {
  return Lookup(testTypes, testType, unknownText);
}

std::string StringFromPassFail(std::int32_t verdict) {
  if (verdict == 1) return "Pass";
  if (verdict == 2) return "Fail";
  return unknownText;
}

std::string StringFromPacerModel(std::uint16_t pacerModel) {
  return Lookup(pacerModels, pacerModel, unknownText);
}

std::string StringFromWaveform(std::uint8_t waveform) {
  return Lookup(waveforms, waveform, unknownText);
}

std::string UnitFromWaveform(std::uint8_t waveform) { return Lookup(waveformUnits, waveform, ""); }

std::string StringFromEcgInverted(std::uint8_t ecgInverted) {
  return ecgInverted == 0 ? "Normal" : "Inverted";
}

}  // namespace Dexal
