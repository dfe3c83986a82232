#include "csv/DexalCSVwriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>

#include "platform/CalendarTime.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;

const char* const kCommonHeaders =
    "Asset ID,Asset Make,Asset Model,Asset Serial,Date,Test Type,Status,Comment,NominalLoad";

class CsvWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("dexal-csv-") + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = dir / "out.csv";
    date = CalendarTimeFromLocal(LocalDateFields(2014, 3, 7, 14, 5, 9));
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Contents() const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  template <typename Record>
  std::string Write(Record& record, bool graphPoints) {
    DexalCSVwriter writer(path.wstring(), graphPoints);
    EXPECT_TRUE(record.accept(writer));
    return Contents();
  }

  template <typename Record>
  void Fill(Record& record) {
    record.assetId = "A1";
    record.assetMake = "Make";
    record.assetModel = "Model";
    record.assetSerial = "S9";
    record.testDate = date;
    record.comment = "ok";
    record.nominalLoad = 50;
  }

  std::string Common(const char* type) const {
    return std::string("A1,\"Make\",\"Model\",\"S9\",2014-03-07T14:05:09,") + type +
           ",Pass,\"ok\",50";
  }

  static std::unique_ptr<DexalProfile> Profile() {
    auto profile = std::make_unique<DexalProfile>();
    profile->energy = 150.25f;
    profile->peakVoltage = 1500.4f;
    profile->peakCurrent = 30.005f;
    profile->minVoltage = -2.7f;
    profile->maxVoltage = 1500.4f;
    profile->pulseWidth = 0.00412f;
    return profile;
  }

  fs::path dir;
  fs::path path;
  CalendarTime date = 0;
  DexalCmdResultData data{nullptr, "T100"};
};

TEST_F(CsvWriter, DefibGraphLinesFollowTheValueLine) {
  DexalDefibPulseTest record(&data);
  Fill(record);
  record.testType = 0x10;
  record.loadOhms = 50.0f;
  record.profile = Profile();
  record.profile->minVoltage = -800.4f;  // adds 0.5: -799, not -800
  record.profile->points = {{0.0, 0.0}, {0.004, 1500.0}, {0.008, -2.5e-5}};
  const std::string text = Write(record, true);
  EXPECT_NE(text.find(Common("Defib Pulse") + ",150.3,1500,30.00,-799,1500,4.1\r\n"
                                              "Time (ms),Current (A),Voltage (V)\r\n"
                                              "0,0,0\r\n0.004,30,1500\r\n0.008,-5e-07,-2.5e-05\r\n"
                                              "\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST_F(CsvWriter, WaveformRatesWithAndWithoutUnits) {
  struct Case {
    std::uint8_t waveform;
    std::uint16_t rate;
    const char* cells;
  };
  for (const Case& c :
       {Case{0x10, 600, "Normal Sinus Rhythm,60.0 bpm,1"}, Case{0x01, 5, "Sine,0.5 Hz,1"},
        Case{0x00, 0, "Asystole,0.0 ,1"}, Case{0x99, 25, "???,2.5 ,1"},
        Case{0x51, 600,
             "\"Atrial pacing, no sensing, so response to sensing\","
             "60.0 bpm,1"}}) {
    fs::remove(path);
    DexalWaveformSimulatorTest record(&data);
    Fill(record);
    record.testType = 0x02;
    record.simWaveform = {c.waveform, 0, c.rate, 0.6f};
    EXPECT_EQ(Write(record, false),
              std::string(kCommonHeaders) +
                  ",ECG Waveform,ECG Waveform rate,ECG Waveform peak (mV)\r\n" +
                  Common("Waveform Simulation") + "," + c.cells + "\r\n\r\n");
  }
}

TEST_F(CsvWriter, StatusNominalLoadAndUnconvertibleDate) {
  struct Case {
    std::uint8_t status;
    std::uint16_t load;
    const char* tail;
  };
  for (const Case& c : {Case{1, 0, "Pass,\"\",0"}, Case{0, 65535, "Fail,\"\",65535"},
                        Case{2, 50, "???,\"\",50"}, Case{0xFF, 50, "???,\"\",50"}}) {
    fs::remove(path);
    DexalPacerImmunityTest record(&data);
    record.testType = 0x33;
    record.testDate = -5;
    record.status = c.status;
    record.nominalLoad = c.load;
    const std::string text = Write(record, false);
    EXPECT_NE(text.find("\r\n,\"\",\"\",\"\",,Pacer Immunity," + std::string(c.tail) +
                        ",Asystole,0.0 ,0,Default,0.0\r\n"),
              std::string::npos)
        << text;
  }
}

TEST_F(CsvWriter, TextsWithCommasQuotesAndLineFeedsStayOneCell) {
  DexalGeneralObservationTest record(&data);
  Fill(record);
  record.testType = 0x01;
  record.assetId = "ID,7";
  record.assetMake = "Make \"X\", Inc";
  record.comment = "line1\nline2";
  record.observation = "cracked, case";
  EXPECT_EQ(Write(record, false),
            std::string(kCommonHeaders) + ",Description\r\n" +
                "\"ID,7\",\"Make \"\"X\"\", Inc\",\"Model\",\"S9\",2014-03-07T14:05:09,"
                "General Comments,Pass,\"line1\r\nline2\",50,\"cracked, case\"\r\n\r\n");
}

TEST_F(CsvWriter, HeaderAndThreeSectionsAfterTruncation) {
  { std::ofstream(path, std::ios::binary) << "old content\r\n"; }
  {
    DexalCSVwriter header(path.wstring(), false);
    header.TruncateFile();
    EXPECT_EQ(Contents(), "");
    DexalTesterInfo info;
    info.serialNumber = "SN,1";
    info.serviceDate = CalendarTimeFromLocal(LocalDateFields(2013, 11, 4));
    header.WriteTesterHeader(info);
  }
  std::string expected = "Serial,Service Date\r\n\"SN,1\",2013-11-04\r\n";
  for (int i = 0; i < 3; ++i) {
    DexalGeneralObservationTest record(&data);
    Fill(record);
    record.testType = 0x01;
    record.observation = "n" + std::to_string(i);
    Write(record, true);
    expected += std::string(kCommonHeaders) + ",Description\r\n" + Common("General Comments") +
                ",n" + std::to_string(i) + "\r\n\r\n";
  }
  EXPECT_EQ(Contents(), expected);
}

void ExpectRuntimeError(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST_F(CsvWriter, UnopenablePathsGiveTheirMessages) {
  // A directory as the file and a path below a regular file fail even for root.
  const fs::path asDirectory = dir / "folder";
  fs::create_directories(asDirectory);
  ExpectRuntimeError([&] { DexalCSVwriter writer(asDirectory.wstring(), false); },
                     "Could not open file for appending\n" + asDirectory.string());
  const fs::path belowFile = path / "x.csv";
  { std::ofstream(path) << "x"; }
  ExpectRuntimeError([&] { DexalCSVwriter writer(belowFile.wstring(), false); },
                     "Could not open file for appending\n" + belowFile.string());
  const fs::path missingFolder = dir / "missing" / "x.csv";
  ExpectRuntimeError([&] { DexalCSVwriter writer(missingFolder.wstring(), false); },
                     "Could not open file for appending\n" + missingFolder.string());
  EXPECT_FALSE(fs::exists(missingFolder));
}

TEST_F(CsvWriter, ReadOnlyFileIsLeftAsItWas) {
  { std::ofstream(path, std::ios::binary) << "kept\r\n"; }
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(path, readOnly);
  const bool writable = static_cast<bool>(std::ofstream(path, std::ios::app));
  if (!writable) {
    ExpectRuntimeError([&] { DexalCSVwriter writer(path.wstring(), false); },
                       "Could not open file for appending\n" + path.string());
  }
  fs::permissions(path, readOnly | fs::perms::owner_write);
  if (writable) GTEST_SKIP() << "this user can write to read-only files";
  EXPECT_EQ(Contents(), "kept\r\n");
}

TEST_F(CsvWriter, TruncationFailureHasItsMessage) {
  DexalCSVwriter writer(path.wstring(), false);
  writer.TruncateFile();  // leaves the file closed, so it can be replaced
  fs::remove(path);
  fs::create_directories(path);  // the name is now a folder
  ExpectRuntimeError([&] { writer.TruncateFile(); }, "Could not truncate file\n" + path.string());
}

// Every test type in one file, read back by Python's csv module.
TEST_F(CsvWriter, CsvReaderSeesEveryValueLineAsWideAsItsHeader) {
#ifndef DEXAL_CSV_CHECKER
  GTEST_SKIP() << "the checker script's path is not known to this build";
#else
  if (std::system("python3 --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  {
    DexalCSVwriter header(path.wstring(), false);
    header.TruncateFile();
    header.WriteTesterHeader(DexalTesterInfo{"SN \"7\", A", date, "1.0"});
  }
  auto pulse = [this](auto& record) {
    Fill(record);
    record.assetId = "ID,with comma";
    record.comment = "two\nlines, \"quoted\"";
    record.loadOhms = 50.0f;
    record.profile = Profile();
    record.profile->points = {{0.0, 1.0}, {0.004, -2.0}};
    Write(record, true);
  };
  DexalDefibPulseTest defib(&data);
  pulse(defib);
  DexalDefibChargeTest charge(&data);
  pulse(charge);
  DexalDefibSynchTest sync(&data);
  sync.simWaveform.waveform = 0x54;
  pulse(sync);
  DexalAEDPulseTest aed(&data);
  pulse(aed);
  DexalPacerPulseTest pacer(&data);
  pulse(pacer);
  DexalRefractoryPeriodTest refractory(&data);
  refractory.simWaveform.waveform = 0x53;
  Write(refractory, true);
  DexalSensitivityTest sensitivity(&data);
  sensitivity.simWaveform.waveform = 0x52;
  Write(sensitivity, true);
  DexalPacerImmunityTest immunity(&data);
  Write(immunity, true);
  DexalGeneralObservationTest observation(&data);
  observation.observation = "a, b, \"c\"\n d";
  Write(observation, true);
  DexalWaveformSimulatorTest simulator(&data);
  simulator.simWaveform.waveform = 0x51;
  Write(simulator, true);
  const std::string command =
      std::string("python3 ") + DEXAL_CSV_CHECKER + " '" + path.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << Contents();
#endif
}

#ifndef _WIN32
TEST_F(CsvWriter, FullDeviceGivesWriteError) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  DexalDefibPulseTest record(&data);
  Fill(record);
  ExpectRuntimeError(
      [&] {
        DexalCSVwriter writer(L"/dev/full", false);
        record.accept(writer);
      },
      "Could not write to file\n/dev/full");
  ExpectRuntimeError(
      [&] {
        DexalCSVwriter writer(L"/dev/full", false);
        writer.WriteTesterHeader(DexalTesterInfo{"T1", 0, "1.0"});
      },
      "Could not write to file\n/dev/full");
}
#endif

}  // namespace
}  // namespace Dexal
