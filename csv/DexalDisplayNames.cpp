#include "csv/DexalDisplayNames.h"

#include <array>
#include <string_view>

#include "results/DexalTestTypes.h"

namespace Dexal {
namespace {

constexpr std::string_view kUnknown = "???";

template <typename Code>
struct Name {
  Code code;
  std::string_view text;
};

template <typename Code, std::size_t N>
std::string Lookup(const std::array<Name<Code>, N>& table, Code code, std::string_view missing) {
  for (const auto& entry : table) {
    if (entry.code == code) return std::string(entry.text);
  }
  return std::string(missing);
}

constexpr std::array<Name<std::uint16_t>, 9> kPacerModels{{
    {0x0000, "Default"},
    {0x0010, "Zoll"},
    {0x0020, "PhysioControl"},
    {0x0030, "Philips / HP / Laerdal"},
    {0x0040, "GE"},
    {0x0050, "Schiller"},
    {0x0060, "Mindray"},
    {0x0070, "WelchAllyn"},
    {0x0080, "CU Medical"},
}};

struct Waveform {
  std::uint8_t code;
  std::string_view text;
  std::string_view unit;
};

// The unit does not follow from the group: Asystole and the two last signals have none, while
// R wave detection counts beats.
constexpr std::array<Waveform, 43> kWaveforms{{
    {0x00, "Asystole", ""},
    {0x01, "Sine", "Hz"},
    {0x02, "Square", "Hz"},
    {0x03, "Triangle", "Hz"},
    {0x04, "Sawtooth", "Hz"},
    {0x05, "Inverse Sawtooth", "Hz"},
    {0x06, "Pulse (1/16 duty cycle)", "Hz"},
    {0x10, "Normal Sinus Rhythm", "bpm"},
    {0x11, "ST Elevation", "bpm"},
    {0x12, "ST Depression", "bpm"},
    {0x13, "Myocardial Infarction", "bpm"},
    {0x14, "Tall T", "bpm"},
    {0x20, "Sinus Arrhythmia", "bpm"},
    {0x21, "Missing Beat", "bpm"},
    {0x22, "Atrial Flutter", "bpm"},
    {0x23, "Atrial Fibrillation", "bpm"},
    {0x24, "Paroxysmal Atrial Tachycardia", "bpm"},
    {0x25, "Premature Junctional Contraction", "bpm"},
    {0x30, "First Degree AV Block", "bpm"},
    {0x31, "Second Degree AV Block Mobitz I", "bpm"},
    {0x32, "Second Degree AV Block Mobitz II", "bpm"},
    {0x33, "Third Degree AV Block", "bpm"},
    {0x34, "Right Bundle Branch Block", "bpm"},
    {0x35, "Left Bundle Branch Block", "bpm"},
    {0x36, "Left Anterior Hemiblock", "bpm"},
    {0x40, "Premature Ventricular Contraction Intermittent", "bpm"},
    {0x41, "Premature Ventricular Contraction Continuous", "bpm"},
    {0x42, "Bigeminy", "bpm"},
    {0x43, "Trigeminy", "bpm"},
    {0x44, "Right Focal PVC", "bpm"},
    {0x45, "Ventricular Flutter", "bpm"},
    {0x46, "Ventricular Fibrillation Coarse", "bpm"},
    {0x47, "Ventricular Fibrillation Fine", "bpm"},
    {0x48, "Monomorphic Ventricular Tachycardia", "bpm"},
    {0x49, "Polymorphic Ventricular Tachycardia", "bpm"},
    {0x50, "Pacer (only)", "bpm"},
    {0x51, "Atrial pacing, no sensing, so response to sensing", "bpm"},
    {0x52, "Atrial Pacing, Atrial sensing, Inhibited by intrinsic P wave", "bpm"},
    {0x53, "Ventricular pacing,  Ventricular sensing, Inhibited by intrisinc R wave", "bpm"},
    {0x54, "Dual atrial & ventricular pacing, Dual sensing, Inhibited by intrinsic P and R waves",
     "bpm"},
    {0x60, "R Wave Detection", "bpm"},
    {0x61, "Pacer testing pulses for refractory period tests etc", ""},
    {0x62, "DC output (for calibration or verification)", ""},
}};

const Waveform* FindWaveform(std::uint8_t code) {
  for (const auto& entry : kWaveforms) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace

std::string StringFromTestType(std::uint8_t testType) {
  const DexalTestType* type = TestTypeFromCode(testType);
  return std::string(type != nullptr ? type->displayName : kUnknown);
}

std::string StringFromPassFail(int verdict) {
  if (verdict == 1) return "Pass";
  if (verdict == 2) return "Fail";
  return std::string(kUnknown);
}

std::string StringFromPacerModel(std::uint16_t pacerModel) {
  return Lookup(kPacerModels, pacerModel, kUnknown);
}

std::string StringFromWaveform(std::uint8_t waveform) {
  const Waveform* entry = FindWaveform(waveform);
  return std::string(entry ? entry->text : kUnknown);
}

std::string UnitFromWaveform(std::uint8_t waveform) {
  const Waveform* entry = FindWaveform(waveform);
  return entry ? std::string(entry->unit) : std::string();
}

std::string StringFromEcgInverted(std::uint8_t ecgInverted) {
  return ecgInverted != 0 ? "Inverted" : "Normal";
}

}  // namespace Dexal
