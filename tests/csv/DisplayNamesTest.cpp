#include "csv/DexalDisplayNames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace Dexal {
namespace {

TEST(TestTypeNames, TheTenKnownCodes) {
  const std::map<int, std::string> expected{
      {0x01, "General Comments"}, {0x02, "Waveform Simulation"},     {0x10, "Defib Pulse"},
      {0x11, "Defib Charge"},     {0x12, "Defib Cardiac Sync Time"}, {0x20, "AED Pulse"},
      {0x30, "Pacer Pulse"},      {0x31, "Pacer Refractory Period"}, {0x32, "Pacer Sensitivity"},
      {0x33, "Pacer Immunity"}};
  for (int code = 0; code <= 0xFF; ++code) {
    const auto found = expected.find(code);
    const std::string want = found == expected.end() ? "???" : found->second;
    EXPECT_EQ(StringFromTestType(static_cast<std::uint8_t>(code)), want) << "code " << code;
  }
}

TEST(PassFailNames, VerdictsAndOthers) {
  EXPECT_EQ(StringFromPassFail(1), "Pass");
  EXPECT_EQ(StringFromPassFail(2), "Fail");
  for (const int other : {-1, 0, 3, 255, 0x101}) EXPECT_EQ(StringFromPassFail(other), "???");
}

TEST(PacerModelNames, WholeSixteenBitCodeIsCompared) {
  const std::map<int, std::string> expected{{0x00, "Default"},
                                            {0x10, "Zoll"},
                                            {0x20, "PhysioControl"},
                                            {0x30, "Philips / HP / Laerdal"},
                                            {0x40, "GE"},
                                            {0x50, "Schiller"},
                                            {0x60, "Mindray"},
                                            {0x70, "WelchAllyn"},
                                            {0x80, "CU Medical"}};
  for (const auto& [code, text] : expected) {
    EXPECT_EQ(StringFromPacerModel(static_cast<std::uint16_t>(code)), text);
  }
  for (const int other : {0x0005, 0x0081, 0x0090, 0x0100, 0x1000, 0x8010, 0xFFFF}) {
    EXPECT_EQ(StringFromPacerModel(static_cast<std::uint16_t>(other)), "???") << other;
  }
}

TEST(WaveformNames, NamesAndUnitsOfSelectedCodes) {
  struct Row {
    std::uint8_t code;
    const char* name;
    const char* unit;
  };
  const Row rows[] = {
      {0x00, "Asystole", ""},
      {0x01, "Sine", "Hz"},
      {0x06, "Pulse (1/16 duty cycle)", "Hz"},
      {0x10, "Normal Sinus Rhythm", "bpm"},
      {0x25, "Premature Junctional Contraction", "bpm"},
      {0x36, "Left Anterior Hemiblock", "bpm"},
      {0x40, "Premature Ventricular Contraction Intermittent", "bpm"},
      {0x49, "Polymorphic Ventricular Tachycardia", "bpm"},
      {0x51, "Atrial pacing, no sensing, so response to sensing", "bpm"},
      {0x53, "Ventricular pacing,  Ventricular sensing, Inhibited by intrisinc R wave", "bpm"},
      {0x54, "Dual atrial & ventricular pacing, Dual sensing, Inhibited by intrinsic P and R waves",
       "bpm"},
      {0x60, "R Wave Detection", "bpm"},
      {0x61, "Pacer testing pulses for refractory period tests etc", ""},
      {0x62, "DC output (for calibration or verification)", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(StringFromWaveform(row.code), row.name) << int{row.code};
    EXPECT_EQ(UnitFromWaveform(row.code), row.unit) << int{row.code};
  }
}

TEST(WaveformNames, UnknownCodesHaveNoNameAndNoUnit) {
  for (const int value : {0x07, 0x0F, 0x15, 0x26, 0x37, 0x4A, 0x55, 0x63, 0x80, 0xFF}) {
    const auto code = static_cast<std::uint8_t>(value);
    EXPECT_EQ(StringFromWaveform(code), "???") << int{code};
    EXPECT_EQ(UnitFromWaveform(code), "") << int{code};
  }
}

// Counting over all codes catches a missing or duplicated row, and a unit given by group.
TEST(WaveformNames, TableHasFortyThreeRowsWithTheirUnits) {
  int named = 0;
  int hertz = 0;
  int beats = 0;
  for (int code = 0; code <= 0xFF; ++code) {
    const auto c = static_cast<std::uint8_t>(code);
    const std::string unit = UnitFromWaveform(c);
    if (StringFromWaveform(c) != "???") {
      ++named;
      if (unit == "Hz") {
        ++hertz;
        EXPECT_LT(code, 0x10) << "Hz outside the plain shapes";
      } else if (unit == "bpm") {
        ++beats;
      } else {
        EXPECT_EQ(unit, "");
      }
    } else {
      EXPECT_EQ(unit, "") << "unit for an unnamed code " << code;
    }
  }
  EXPECT_EQ(named, 43);
  EXPECT_EQ(hertz, 6);
  EXPECT_EQ(beats, 34);
}

TEST(EcgInvertedNames, ZeroIsNormalAnythingElseInverted) {
  EXPECT_EQ(StringFromEcgInverted(0x00), "Normal");
  EXPECT_EQ(StringFromEcgInverted(0x01), "Inverted");
  EXPECT_EQ(StringFromEcgInverted(0x80), "Inverted");
  EXPECT_EQ(StringFromEcgInverted(0xFF), "Inverted");
}

}  // namespace
}  // namespace Dexal
