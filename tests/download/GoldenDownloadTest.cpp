// Every scenario under tests/testdata/golden downloaded in process from the emulator's core:
// NAME.json gives NAME.csv without graph points and NAME.points.csv with them, byte for byte,
// and the notices in NAME.notices when that file is there. DEXAL_REGENERATE_GOLDEN=1 writes the
// files instead (tests/testdata/README.md).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tester/ScenarioJson.h"
#include "tests/support/EmulatedDownload.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(testing::TestDataPath("golden"))) {
    if (entry.path().extension() == ".json") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Where two files first differ, by line, for a readable failure.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t at = 0, line = 1;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) {
    if (expected[at++] == '\n') ++line;
  }
  const auto lineOf = [](const std::string& text, std::size_t from) {
    from = text.rfind('\n', from == 0 ? 0 : from - 1);
    from = from == std::string::npos ? 0 : from + 1;
    return text.substr(from, text.find('\n', from) - from);
  };
  return "line " + std::to_string(line) + ": expected \"" + lineOf(expected, at) + "\", got \"" +
         lineOf(actual, at) + "\"";
}

std::string NoticeLines(const testing::DownloadRun& run) {
  std::string lines;
  for (const std::string& line : run.notices) lines += line + "\n";
  return lines;
}

class GoldenDownload : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenDownload, GivesItsCsvBytes) {
  const testing::ScopedTimeZone utc("UTC0");
  const testing::TempDir dir;
  const fs::path base = testing::TestDataPath("golden") / GetParam();
  const bool regenerate = std::getenv("DEXAL_REGENERATE_GOLDEN") != nullptr;
  const TesterScenario scenario = LoadScenarioFile(base.string() + ".json");
  for (const bool points : {false, true}) {
    SCOPED_TRACE(points ? "with graph points" : "without graph points");
    const fs::path output = dir / (points ? "points.csv" : "plain.csv");
    const testing::DownloadRun run =
        testing::RunEmulatedDownload(scenario, output, {.graphPoints = points});
    const fs::path golden = base.string() + (points ? ".points.csv" : ".csv");
    const fs::path notices = base.string() + ".notices";
    if (regenerate) {
      testing::WriteFileBytes(golden, run.csv);
      if (!points) testing::WriteFileBytes(notices, NoticeLines(run));
      continue;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    const std::string expected = ReadFileBytes(golden);
    EXPECT_TRUE(run.csv == expected) << golden << ", " << FirstDifference(expected, run.csv);
    EXPECT_EQ(NoticeLines(run), ReadFileBytes(notices));
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, GoldenDownload, ::testing::ValuesIn(ScenarioNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace Dexal
