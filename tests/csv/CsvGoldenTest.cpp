// Records built by the tester's encoders, decoded by the decoders and written by the CSV writer,
// compared byte for byte with sections worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "csv/DexalCSVwriter.h"
#include "results/CreateResult.h"
#include "results/DexalResultDecoder.h"
#include "tester/SampleCompressor.h"
#include "tester/SegmentWriter.h"

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
    DexalCmdResultData result(nullptr, "T100");
    result.criteriaSegment = criteria;
    result.dataSegment = data;
    std::unique_ptr<DexalResult> record = CreateResult(&result);
    EXPECT_NE(record, nullptr);
    if (!record) return {};
    DexalResultDecoder decoder;
    EXPECT_TRUE(record->accept(decoder));
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

ByteVector PulseData(bool withLoad) {
  const std::optional<ByteVector> block = CompressSamples(kPulse, SampleMode::FirstDifference);
  EXPECT_TRUE(block.has_value());
  SegmentWriter data;
  data.String(0x11, "ok").Word(0x13, 100).Float(0x14, 2.0f).Word(0x15, 50);
  if (withLoad) data.Float(0x16, 50.0f);
  data.Bytes(0x19, block.value_or(ByteVector{}));
  return data.Data();
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

TEST_F(CsvGolden, GeneralCommentsAndSensitivity) {
  EXPECT_EQ(
      Written(Criteria(0x01, 0), SegmentWriter().String(0x11, "cracked, \"taped\"").Data(), false),
      std::string(kCommon) + ",Description\r\n" + kValues +
          "General Comments,Fail,\"\",0,\"cracked, \"\"taped\"\"\"\r\n\r\n");
  const ByteVector sensitivity = SegmentWriter()
                                     .SimWaveForm(0x17, 0x10, 0, 600, 1000)
                                     .Word(0x1C, 0xFFFF)
                                     .Byte(0x1D, 2)
                                     .Float(0x1F, 70.0f)
                                     .Float(0x22, 0.0025f)
                                     .Data();
  const std::string text = Written(Criteria(0x32), sensitivity, true);
  EXPECT_EQ(text.substr(0, text.find("\r\n") + 2),
            std::string(kCommon) +
                ",ECG Waveform,ECG Signal inverted,ECG Waveform peak (mV),Pacer Model,"
                "Pacer Pulse Rate (ppm),Pacer Sensitivity (mV)\r\n");
  // 0.0025 V is shown as 2.50 mV; the ECG is inverted.
  EXPECT_NE(text.find(",Inverted,1,"), std::string::npos) << text;
  EXPECT_NE(text.find(",70.0,2.50\r\n\r\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace Dexal
