// Scenario files: every test type loads; mistakes are reported with the field they are in.
#include <gtest/gtest.h>

#include <string>

#include "tester/DemoTester.h"
#include "tester/ResultFields.h"
#include "tester/ScenarioJson.h"

namespace Dexal {
namespace {

// The value of the first item with the tag in a segment, walking the items as the reader does.
std::optional<ByteVector> ItemValue(const ByteVector& segment, std::uint32_t wanted) {
  std::size_t at = 0;
  auto varint = [&](std::uint32_t& out) {
    out = 0;
    for (int shift = 0; at < segment.size(); shift += 7) {
      const std::uint8_t b = segment[at++];
      out |= static_cast<std::uint32_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return true;
    }
    return false;
  };
  while (at < segment.size()) {
    std::uint32_t tag = 0, length = 0;
    if (!varint(tag) || !varint(length) || at + length > segment.size()) return std::nullopt;
    if (tag == wanted) return ByteVector(segment.begin() + at, segment.begin() + at + length);
    at += length;
  }
  return std::nullopt;
}

const char* kAllTypes = R"({
  "tester": {"serial": "DX-77", "serviceDate": {"year": 2025, "month": 2, "day": 3},
             "firmwareRevision": 9, "firmwareDate": {"year": 2024, "month": 12, "day": 1}},
  "results": [
    {"testType": "general-comments", "observation": "Cable worn, \"replace\""},
    {"testType": "waveform-simulation", "simulator": {"waveform": 16, "rate": 600, "peakMicrovolts": 1000}},
    {"testType": "defib-pulse", "assetId": "A1", "assetMake": "Zoll", "assetModel": "R Series",
     "assetSerial": "S1", "date": {"year": 2026, "month": 1, "day": 2, "hour": 3, "minute": 4, "second": 5},
     "status": "fail", "comment": "c", "tag12": 1, "sampleOffset": 32768, "voltsPerCount": 0.1,
     "nominalLoad": 50, "loadOhms": 50,
     "pulse": {"shape": "biphasic", "joules": 100, "count": 5000}},
    {"testType": "defib-charge", "chargeTime": 6.5, "pulse": {"samples": [0,0,0,0,0,0,0,0,0,0], "mode": "zeros"}},
    {"testType": "defib-synch", "synchTime": 0.04, "simulator": {"waveform": 16},
     "pulse": {"shape": "monophasic", "joules": 50, "count": 10000}},
    {"testType": "aed-pulse", "simulator": {"waveform": 70}, "pulse": {"shape": "biphasic", "joules": 150}},
    {"testType": "pacer-pulse", "pacerModel": 16, "pulseRate": 70, "pulse": {"shape": "pacer", "widthMs": 20, "milliamps": 40}},
    {"testType": "refractory-period", "pulsedRefractoryPeriod": 0.3, "sensedRefractoryPeriod": 0.25,
     "pulseWidth": 0.02, "pulseRate": 70, "pacerModel": 32},
    {"testType": "sensitivity", "sensitivity": 0.002, "ecgInverted": true, "pacerModel": 48},
    {"testType": "pacer-immunity", "pulseRate": 60, "pacerModel": 0, "infoValue": 77},
    {"testType": 33, "raw": {"data": "11 02 68 69", "dataCrc": 305419896, "criteriaSize": 3}}
  ],
  "faults": ["late:400@3", "wrong-seq@0x2822*1"]
})";

TEST(ScenarioJson, EveryTestTypeLoads) {
  const TesterScenario s = ScenarioFromJson(kAllTypes);
  EXPECT_EQ(s.identity.serialNumber, "DX-77");
  EXPECT_EQ(s.identity.serviceMonth, 2);
  EXPECT_EQ(s.identity.firmwareRevision, 9u);
  EXPECT_EQ(s.identity.firmwareYear, 2024);
  ASSERT_EQ(s.results.size(), 11u);
  const std::uint8_t types[] = {0x01, 0x02, 0x10, 0x11, 0x12, 0x20, 0x30, 0x31, 0x32, 0x33, 0x21};
  for (std::size_t i = 0; i < 11; ++i) {
    EXPECT_EQ(ItemValue(s.results[i].criteria, 6), ByteVector{types[i]}) << i;
  }
  EXPECT_EQ(ItemValue(s.results[0].data, 0x11),
            ByteVector(std::string_view("Cable worn, \"replace\"").begin(),
                       std::string_view("Cable worn, \"replace\"").end()));
  const auto& defib = s.results[2];
  EXPECT_EQ(ItemValue(defib.criteria, 7), ByteVector{0});
  EXPECT_EQ(ItemValue(defib.criteria, 1), (ByteVector{'A', '1'}));
  EXPECT_EQ(ItemValue(defib.criteria, 5), (ByteVector{0xEA, 0x07, 1, 2, 3, 4, 5, 0}));
  EXPECT_EQ(ItemValue(defib.data, 0x13), (ByteVector{0x00, 0x80}));
  ASSERT_TRUE(ItemValue(defib.data, 0x19));
  EXPECT_EQ(ItemValue(s.results[3].data, 0x19), (ByteVector{0x00, 0x00, 0x0A}));  // mode 0, N 10
  EXPECT_EQ(ItemValue(s.results[8].data, 0x1D), ByteVector{1});
  EXPECT_FALSE(ItemValue(s.results[8].data, 0x19));
  EXPECT_EQ(s.results[9].infoValue, 77u);
  EXPECT_EQ(s.results[10].data, (ByteVector{0x11, 0x02, 0x68, 0x69}));
  EXPECT_EQ(s.results[10].dataCrc, 0x12345678u);
  EXPECT_EQ(s.results[10].criteriaSize, 3);
  ASSERT_EQ(s.faults.size(), 2u);
  EXPECT_EQ(s.faults[1].code, 0x2822);
}

TEST(ScenarioJson, MistakesNameTheirField) {
  struct Case {
    const char* json;
    const char* mentions;
  };
  const Case cases[] = {
      {R"({"results": [)", "not valid JSON"},
      {R"({"results": [{"testType": "defib-pulse", "loadOhm": 50}]})",
       "results[0]: unknown field \"loadOhm\""},
      {R"({"results": [{"testType": "defib-pulse"}, {"testType": "defib-pulsed"}]})",
       "results[1].testType: unknown test type \"defib-pulsed\""},
      {R"({"results": [{"testType": "defib-pulse", "loadOhms": "fifty"}]})",
       "results[0].loadOhms: expected a number"},
      {R"({"results": [{"testType": "defib-pulse", "nominalLoad": 70000}]})",
       "results[0].nominalLoad: out of range"},
      {R"({"results": [{"assetId": "x"}]})", "results[0]: missing field \"testType\""},
      {R"({"results": [{"testType": "defib-pulse", "synchTime": 0.1}]})",
       "results[0]: field \"synchTime\" does not belong to a defib-pulse result"},
      {R"({"results": [{"testType": "aed-pulse", "pulse": {"shape": "square"}}]})",
       "results[0].pulse.shape: unknown shape"},
      {R"({"results": [{"testType": "aed-pulse", "pulse": {"shape": "biphasic", "joules": 9000}}]})",
       "results[0]: pulse of"},
      {R"({"results": [{"testType": "aed-pulse", "pulse": {"samples": [1,2,3,4,5,6,7,8,9,11], "mode": 0}}]})",
       "results[0]: field \"pulse\""},
      {R"({"results": [{"testType": 16, "raw": {"data": "1"}}]})",
       "results[0].raw.data: odd number"},
      {R"({"results": [{"testType": 16, "date": {"year": 2024, "mnth": 1}}]})",
       "results[0].date: unknown field \"mnth\""},
      {R"({"tester": {"serial": 5}})", "scenario.tester.serial: expected a string"},
      {R"({"faults": ["late@zero"]})", "scenario.faults[0]"},
      {R"({"result": []})", "scenario: unknown field \"result\""},
      {R"([1, 2])", "scenario: expected an object"},
  };
  for (const auto& c : cases) {
    try {
      ScenarioFromJson(c.json);
      ADD_FAILURE() << c.json << " was accepted";
    } catch (const ScenarioError& e) {
      EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos)
          << "expected \"" << c.mentions << "\" in: " << e.what();
    }
  }
}

TEST(ScenarioJson, MissingFileIsReported) {
  EXPECT_THROW(LoadScenarioFile("/nonexistent/scenario.json"), ScenarioError);
}

TEST(DemoTester, CoversAllTenTypesWithFullLengthPulses) {
  const auto fieldsList = DemoResultFields();
  EXPECT_GE(fieldsList.size(), 12u);
  for (int type : {0x01, 0x02, 0x10, 0x11, 0x12, 0x20, 0x30, 0x31, 0x32, 0x33}) {
    EXPECT_TRUE(std::any_of(fieldsList.begin(), fieldsList.end(), [type](const ResultFields& s) {
      return s.testType == type;
    })) << type;
  }
  bool quoted = false;
  for (const auto& fields : fieldsList) {
    if (fields.comment && fields.comment->find(',') != std::string::npos &&
        fields.comment->find('"') != std::string::npos) {
      quoted = true;
    }
    if (fields.pulse) {
      EXPECT_EQ(PulseSamples(*fields.pulse, CalibrationOf(fields)).size(), kFullPulseSamples);
    }
  }
  EXPECT_TRUE(quoted);
  const TesterScenario scenario = DemoTesterScenario();
  EXPECT_EQ(scenario.results.size(), fieldsList.size());
  for (const auto& r : scenario.results) {
    EXPECT_LE(r.criteria.size() + r.data.size() + 8, 65535u);
  }
}

}  // namespace
}  // namespace Dexal

namespace Dexal {
namespace {

TEST(ScenarioJson, ReferenceScenarioLoadsWithAThirdPulses) {
  const TesterScenario s = LoadScenarioFile(DEXAL_REFERENCE_SCENARIO);
  ASSERT_EQ(s.results.size(), 100u);
  std::size_t withPulse = 0;
  for (const auto& r : s.results) {
    if (ItemValue(r.data, 0x19)) ++withPulse;
  }
  EXPECT_GE(withPulse, 34u);
}

}  // namespace
}  // namespace Dexal
