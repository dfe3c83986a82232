// Records built by the tester's encoders, decoded by the decoders and written by the CSV writer,
// compared byte for byte with sections worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "csv/DexalCSVwriter.h"
#include "tester/SampleCompressor.h"
#include "tests/results/ResultTestSupport.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;

const char* const kCommon =
    "Asset ID,Asset Make,Asset Model,Asset Serial,Date,Test Type,Status,Comment,NominalLoad";

class CsvGolden : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    _putenv_s("TZ", "UTC0");
    _tzset();
#else
    setenv("TZ", "UTC0", 1);
    tzset();
#endif
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("dexal-golden-") + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = dir / "out.csv";
  }
  void TearDown() override { fs::remove_all(dir); }

  static ByteVector Criteria(std::uint8_t type, std::uint8_t status = 1) {
    return SegmentWriter()
        .String(1, "A,1")
        .String(2, "Make")
        .String(3, "Model \"X\"")
        .String(4, "S9")
        .DateTime(5, {2014, 3, 7, 14, 5, 9})
        .Byte(6, type)
        .Byte(7, status)
        .Data();
  }

  // The file one decoded record gives.
  std::string Written(const ByteVector& criteria, const ByteVector& data, bool graphPoints) {
    const DexalCmdResultData result = testing::ResultData(criteria, data);
    const std::unique_ptr<DexalResult> record = testing::Decode(result);
    fs::remove(path);
    {
      DexalCSVwriter writer(path.wstring(), graphPoints);
      EXPECT_TRUE(record->accept(writer));
    }
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path dir, path;
};

// Ten samples around an offset of 100 counts, 2 V a count, into 50 ohms.
const std::vector<std::uint16_t> kPulse{100, 100, 200, 300, 200, 100, 100, 100, 100, 100};

// A pulse block with the calibration items before it, so that the profile sees them.
SegmentWriter& AddPulse(SegmentWriter& data, const std::vector<std::uint16_t>& samples,
                        std::uint16_t offset, float voltsPerCount, float load) {
  return data.Word(0x13, offset)
      .Float(0x14, voltsPerCount)
      .Float(0x16, load)
      .Bytes(0x19, CompressSmallest(samples));
}

ByteVector PulseData(bool withLoad) {
  SegmentWriter data;
  data.String(0x11, "ok").Word(0x15, 50);
  return AddPulse(data, kPulse, 100, 2.0f, withLoad ? 50.0f : 0.0f).Data();
}

const char* const kDefibHeader =
    ",Defib Energy (J),Defib Peak Voltage (V),Defib Peak Current (A),Defib Min Voltage (V),"
    "Defib Max Voltage (V),Defib Pulse Width (ms)\r\n";
const char* const kValues = "\"A,1\",\"Make\",\"Model \"\"X\"\"\",\"S9\",2014-03-07T14:05:09,";

TEST_F(CsvGolden, DefibPulseWithProfileAndGraphLines) {
  // Energy: (100² + 200² + 100²) counts² × 4 V²/count² / (50 Ω × 250000/s) = 0.0192 J -> 0.0.
  // Peak 200 counts = 400 V, 8 A; the lowest sample is the offset: 0 V. Width: samples 2 to 4
  // are outside the quiet band of ±20 counts, 3 / 250000 s = 0.012 ms -> 0.0.
  // Graph lines: time in ms, current = volts / 50 ohms, volts, in the general format.
  const std::string expected = std::string(kCommon) + kDefibHeader + kValues +
                               "Defib Pulse,Pass,\"ok\",50,0.0,400,8.00,0,400,0.0\r\n"
                               "Time (ms),Current (A),Voltage (V)\r\n"
                               "0,0,0\r\n0.004,0,0\r\n0.008,4,200\r\n0.012,8,400\r\n0.016,4,200\r\n"
                               "0.02,0,0\r\n0.024,0,0\r\n0.028,0,0\r\n0.032,0,0\r\n0.036,0,0\r\n"
                               "\r\n";
  EXPECT_EQ(Written(Criteria(0x10), PulseData(true), true), expected);
}

TEST_F(CsvGolden, DefibPulseWithoutGraphLinesAndWithoutProfile) {
  const std::string values =
      std::string(kValues) + "Defib Pulse,Pass,\"ok\",50,0.0,400,8.00,0,400,0.0";
  EXPECT_EQ(Written(Criteria(0x10), PulseData(true), false),
            std::string(kCommon) + kDefibHeader + values + "\r\n\r\n");
  // No sample block: the common cells only, whatever the graph option.
  EXPECT_EQ(Written(Criteria(0x10), SegmentWriter().String(0x11, "ok").Word(0x15, 50).Data(), true),
            std::string(kCommon) + "\r\n" + kValues + "Defib Pulse,Pass,\"ok\",50\r\n\r\n");
}

TEST_F(CsvGolden, NoLoadLeavesAnEmptyPointsList) {
  // Without a load nothing is analysed: zero values and a graph header with no lines. A pass
  // flag other than 0 or 1 shows as "???".
  EXPECT_EQ(Written(Criteria(0x10, 7), PulseData(false), true),
            std::string(kCommon) + kDefibHeader + kValues +
                "Defib Pulse,???,\"ok\",50,0.0,0,0.00,0,0,0.0\r\n"
                "Time (ms),Current (A),Voltage (V)\r\n\r\n");
}

const char* const kWaveformHeader = "ECG Waveform,ECG Waveform rate,ECG Waveform peak (mV)";
const char* const kPacerHeader =
    "Pacer Pulse Energy (mJ),Pacer Pulse Peak Voltage (mV),Pacer Pulse Peak Current (mA),"
    "Pacer Pulse Min Voltage (mV),Pacer Pulse Max Voltage (mV),Pacer Pulse Width (ms)";

TEST_F(CsvGolden, DefibChargeWithoutAndWithProfile) {
  // 4.25 s is exact in binary: the tie rounds away from zero.
  SegmentWriter bare;
  bare.String(0x11, "c").Word(0x15, 75).Float(0x1A, 4.25f);
  EXPECT_EQ(Written(Criteria(0x11), bare.Data(), true),
            std::string(kCommon) + ",DefibChargeTime\r\n" + kValues +
                "Defib Charge,Pass,\"c\",75,4.3\r\n\r\n");

  // 0.27 V a count, ten counts either side of the offset: max 2.7 V, min -2.7 V. Adding 0.5 and
  // truncating gives 3 and -2 (not -3); 2.7 V / 50 ohms = 0.054 A. Width: two samples, 8 us.
  SegmentWriter pulse = bare;
  AddPulse(pulse, {1000, 1010, 990, 1000, 1000, 1000, 1000, 1000, 1000, 1000}, 1000, 0.27f, 50.0f);
  EXPECT_EQ(Written(Criteria(0x11), pulse.Data(), false),
            std::string(kCommon) + ",DefibChargeTime" + kDefibHeader + kValues +
                "Defib Charge,Pass,\"c\",75,4.3,0.0,3,0.05,-2,3,0.0\r\n\r\n");
}

TEST_F(CsvGolden, DefibSynchInMillisecondsWithWaveform) {
  // 0.0123 s is 12.3 ms once rounded to single precision; a plain shape's rate is in Hz, tenths
  // of it on the wire; 1500 uV is 1.5 mV, which adds up to 2.
  SegmentWriter data;
  data.String(0x11, "s").Word(0x15, 50).SimWaveForm(0x17, 0x01, 9, 5, 1500).Float(0x1B, 0.0123f);
  EXPECT_EQ(Written(Criteria(0x12), data.Data(), true),
            std::string(kCommon) + ",Synch Time (ms)," + kWaveformHeader + "\r\n" + kValues +
                "Defib Cardiac Sync Time,Pass,\"s\",50,12.3,Sine,0.5 Hz,2\r\n\r\n");
}

TEST_F(CsvGolden, AedPulseWithLargeNegativeSwing) {
  // -2001 counts at 0.4 V a count is -800.4 V: written -799 (add 0.5, truncate), not -800.
  // Peak 800.4 V gives 800 and 16.01 A; energy 2001² × 0.16 / (50 × 250000) = 0.05 J; one sample
  // outside the band has no width. Graph lines: current is the voltage over 50 ohms.
  SegmentWriter data;
  data.String(0x11, "a").Word(0x15, 50).SimWaveForm(0x17, 0x10, 0, 600, 1000);
  AddPulse(data, {3000, 999, 3000, 3000, 3000, 3000, 3000, 3000, 3000, 3000}, 3000, 0.4f, 50.0f);
  EXPECT_EQ(
      Written(Criteria(0x20), data.Data(), true),
      std::string(kCommon) + "," + kWaveformHeader + kDefibHeader + kValues +
          "AED Pulse,Pass,\"a\",50,Normal Sinus Rhythm,60.0 bpm,1,0.1,800,16.01,-799,0,0.0\r\n"
          "Time (ms),Current (A),Voltage (V)\r\n"
          "0,0,0\r\n0.004,-16.008,-800.4\r\n0.008,0,0\r\n0.012,0,0\r\n0.016,0,0\r\n"
          "0.02,0,0\r\n0.024,0,0\r\n0.028,0,0\r\n0.032,0,0\r\n0.036,0,0\r\n\r\n");
}

std::string PacerValues(const std::string& pulseCells) {
  return std::string(kValues) + "Pacer Pulse,Pass,\"p\",50,Pacer (only),70.0 bpm,2," +
         "Philips / HP / Laerdal,70.0" + pulseCells + "\r\n";
}

TEST_F(CsvGolden, PacerPulseInMilliUnits) {
  const std::string header =
      std::string(kCommon) + "," + kWaveformHeader + ",Pacer Model,Pacer Pulse Rate (ppm)";
  SegmentWriter data;
  data.String(0x11, "p")
      .Word(0x15, 50)
      .SimWaveForm(0x17, 0x50, 0, 700, 2000)
      .Word(0x1C, 0x30)
      .Float(0x1F, 70.0f)
      .Float(0x1A, 0.0f);
  SegmentWriter small = data;
  // 0.1 mV a count: -27 counts is -2.7 mV, rounded away from zero to -3; 500 counts are 50 mV
  // and 1 mA into 50 ohms. Graph lines in mA and mV.
  AddPulse(small, {2048, 2021, 2548, 2548, 2048, 2048, 2048, 2048, 2048, 2048}, 2048, 0.0001f,
           50.0f);
  EXPECT_EQ(Written(Criteria(0x30), small.Data(), true),
            header + "," + kPacerHeader + "\r\n" + PacerValues(",0.00,50,1,-3,50,0.0") +
                "Time (ms),Current (mA),Voltage (mV)\r\n"
                "0,0,0\r\n0.004,-0.054,-2.7\r\n0.008,1,50\r\n0.012,1,50\r\n0.016,0,0\r\n"
                "0.02,0,0\r\n0.024,0,0\r\n0.028,0,0\r\n0.032,0,0\r\n0.036,0,0\r\n\r\n");

  // 60 samples of 5 V into 50 ohms: 60 × 25 / (50 × 250000) J = 0.12 mJ, 100 mA, 0.24 ms.
  std::vector<std::uint16_t> samples(100, 2048);
  std::fill(samples.begin() + 20, samples.begin() + 80, std::uint16_t{2548});
  SegmentWriter wide = data;
  AddPulse(wide, samples, 2048, 0.01f, 50.0f);
  EXPECT_EQ(
      Written(Criteria(0x30), wide.Data(), false),
      header + "," + kPacerHeader + "\r\n" + PacerValues(",0.12,5000,100,0,5000,0.2") + "\r\n");

  // No pulse block: the pacer cells stop at the rate.
  EXPECT_EQ(Written(Criteria(0x30), data.Data(), true), header + "\r\n" + PacerValues("") + "\r\n");
}

TEST_F(CsvGolden, RefractoryPeriodsRoundedInSinglePrecision) {
  // 0.25 s and 0.2496 s both give 250 ms; 0.0205 s is exactly 20.5 ms once in single precision,
  // and the tie rounds to 21. A waveform with no unit leaves the blank after its rate.
  SegmentWriter data;
  data.String(0x11, "r")
      .Word(0x15, 50)
      .SimWaveForm(0x17, 0x61, 0, 10, 2000)
      .Word(0x1C, 0x10)
      .Float(0x1F, 72.5f)
      .Float(0x20, 0.25f)
      .Float(0x21, 0.2496f)
      .Float(0x24, 0.0205f);
  EXPECT_EQ(Written(Criteria(0x31), data.Data(), true),
            std::string(kCommon) + "," + kWaveformHeader +
                ",Pacer Model,Pacer Pulse Rate (ppm),Pacer Pulsed Refractory Period - PRP (ms),"
                "Pacer Sensed Refractory Period - SRP (ms),Pulse Width (ms):\r\n" +
                kValues +
                "Pacer Refractory Period,Pass,\"r\",50,"
                "Pacer testing pulses for refractory period tests etc,1.0 ,2,Zoll,72.5,250,250,21"
                "\r\n\r\n");
}

TEST_F(CsvGolden, SensitivityWithoutRateColumn) {
  // 0.0025 V is 2.50 mV; flag byte 2 means inverted; an unknown pacer model shows "???".
  const ByteVector data = SegmentWriter()
                              .SimWaveForm(0x17, 0x10, 0, 600, 1000)
                              .Word(0x1C, 0xFFFF)
                              .Byte(0x1D, 2)
                              .Float(0x1F, 70.0f)
                              .Float(0x22, 0.0025f)
                              .Data();
  EXPECT_EQ(
      Written(Criteria(0x32), data, true),
      std::string(kCommon) +
          ",ECG Waveform,ECG Signal inverted,ECG Waveform peak (mV),Pacer Model,"
          "Pacer Pulse Rate (ppm),Pacer Sensitivity (mV)\r\n" +
          kValues +
          "Pacer Sensitivity,Pass,\"\",0,Normal Sinus Rhythm,Inverted,1,???,70.0,2.50\r\n\r\n");
}

TEST_F(CsvGolden, ImmunityWithUnknownWaveformAndSimulation) {
  // An unknown waveform code has the name "???" and no unit; -1.5 mV plus 0.5 truncates to -1.
  SegmentWriter immunity;
  immunity.String(0x11, "i")
      .Word(0x15, 50)
      .SimWaveForm(0x17, 0x07, 0, 123, -1500)
      .Word(0x1C, 0x80)
      .Float(0x1F, 0.05f);
  EXPECT_EQ(Written(Criteria(0x33), immunity.Data(), true),
            std::string(kCommon) + "," + kWaveformHeader +
                ",Pacer Model,Pacer Pulse Rate (ppm)\r\n" + kValues +
                "Pacer Immunity,Pass,\"i\",50,???,12.3 ,-1,CU Medical,0.1\r\n\r\n");

  SegmentWriter simulation;
  simulation.String(0x11, "w").SimWaveForm(0x17, 0x00, 0, 0, 0);
  EXPECT_EQ(Written(Criteria(0x02), simulation.Data(), true),
            std::string(kCommon) + "," + kWaveformHeader + "\r\n" + kValues +
                "Waveform Simulation,Pass,\"w\",0,Asystole,0.0 ,0\r\n\r\n");
}

TEST_F(CsvGolden, GeneralCommentsQuoteTheirText) {
  EXPECT_EQ(
      Written(Criteria(0x01, 0), SegmentWriter().String(0x11, "cracked, \"taped\"").Data(), false),
      std::string(kCommon) + ",Description\r\n" + kValues +
          "General Comments,Fail,\"\",0,\"cracked, \"\"taped\"\"\"\r\n\r\n");
}

}  // namespace
}  // namespace Dexal
