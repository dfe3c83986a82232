#include "download/DexalSerialDownloader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "download/DexalNotices.h"
#include "tester/DemoTester.h"
#include "tester/ResultFields.h"
#include "tester/TesterCore.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/ScriptedPeer.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using testing::FakeSerialPort;
using testing::FakeTicks;

struct Notice {
  std::string caption, text;
  NoticeKind kind;
  bool operator==(const Notice&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Notice& n) {
  return out << "[" << n.caption << "] " << n.text;
}

class RecordedNotices : public DexalNotices {
 public:
  void Notify(const std::string& caption, const std::string& text, NoticeKind kind) override {
    boxes.push_back({caption, text, kind});
  }
  void Warn(const std::string& text) override { warnings.push_back(text); }
  std::vector<Notice> boxes;
  std::vector<std::string> warnings;
};

const Notice kComplete{"Download", "Download complete", NoticeKind::Information};
const Notice kAborted{"Runtime Error", "The download was aborted", NoticeKind::Error};
Notice TryFailed(int attempt) {
  return {"Error", "Download error: try " + std::to_string(attempt), NoticeKind::Warning};
}

// A downloader wired to the emulator's protocol core through an in-memory port.
class Download : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = fs::temp_directory_path() / (std::string("dexal-download-") + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = dir / "results.csv";
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs one download against the scenario; the core stays for inspection.
  void Run(TesterScenario scenario, bool setClock = false, bool graphPoints = false) {
    core = std::make_unique<TesterCore>(std::move(scenario));
    auto port = std::make_unique<FakeSerialPort>(ticks);
    port->failOpenAt = failOpenAt;
    FakeSerialPort* raw = port.get();
    port->peer = [this, raw](const ByteVector& written) {
      for (const ReplyPlan& plan : core->Feed(written.data(), written.size(), Now())) {
        if (!plan.closeLine) raw->Deliver(plan.bytes, plan.delayMs + 1);
      }
      return ByteVector();
    };
    notices = RecordedNotices();
    DexalSerialDownloader downloader(L"COM7", path.wstring(), notices, std::move(port), ticks);
    downloader.setClock = setClock;
    downloader.outputGraphPoints = graphPoints;
    downloader.Download();
  }

  // The fake clock drives the core's notion of time too, so late replies stay deterministic.
  std::chrono::system_clock::time_point Now() const {
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(ticks.now));
  }

  std::vector<std::uint16_t> Codes() const {
    std::vector<std::uint16_t> codes;
    for (const RequestRecord& r : core->Requests()) codes.push_back(r.code);
    return codes;
  }

  std::string Contents() const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // The sections of a CSV file, each from its header line up to its empty line.
  static std::vector<std::string> Sections(const std::string& csv) {
    std::vector<std::string> sections;
    std::size_t at = 0;
    while ((at = csv.find("Asset ID,", at)) != std::string::npos) {
      if (at > 0 && csv[at - 1] != '\n') {
        ++at;
        continue;
      }
      std::size_t end = csv.find("\r\n\r\n", at);
      end = end == std::string::npos ? csv.size() : end + 4;
      sections.push_back(csv.substr(at, end - at));
      at = end;
    }
    return sections;
  }

  static TesterScenario Demo() { return DemoTesterScenario(); }

  // A scenario of the first n demo results.
  static TesterScenario FirstResults(std::size_t n) {
    TesterScenario scenario = DemoTesterScenario();
    scenario.results.resize(n);
    return scenario;
  }

  FakeTicks ticks;
  PortOpenResult::Stage failOpenAt = PortOpenResult::Stage::Ok;
  std::unique_ptr<TesterCore> core;
  RecordedNotices notices;
  fs::path dir, path;
};

TEST_F(Download, WholeDownloadSendsItsCommandsInOrder) {
  Run(FirstResults(2));
  EXPECT_EQ(notices.boxes, std::vector<Notice>{kComplete});
  EXPECT_TRUE(notices.warnings.empty());
  // Count, identity (serial, firmware, service date), then per result its info and its data
  // chunks, end download last; no clock without the option.
  std::vector<std::uint16_t> codes = Codes();
  ASSERT_GE(codes.size(), 9u);
  EXPECT_EQ(std::vector<std::uint16_t>(codes.begin(), codes.begin() + 5),
            (std::vector<std::uint16_t>{TesterCode::ResultCount, TesterCode::Identity,
                                        TesterCode::FirmwareVersion, TesterCode::Identity,
                                        TesterCode::ResultInfo}));
  EXPECT_EQ(core->Requests()[1].payload, ByteVector({0, 0}));
  EXPECT_EQ(core->Requests()[3].payload, ByteVector({1, 0}));
  EXPECT_EQ(codes.back(), TesterCode::EndDownload);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), TesterCode::ResultInfo), 2);
  EXPECT_GE(std::count(codes.begin(), codes.end(), TesterCode::ResultData), 2);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), TesterCode::SetRtc), 0);
  EXPECT_FALSE(core->ClockSent().has_value());
  EXPECT_TRUE(core->EndDownloadReceived());

  const std::string csv = Contents();
  EXPECT_EQ(csv.rfind("Serial,Service Date\r\nDX2-104387,2025-11-14\r\n", 0), 0u)
      << csv.substr(0, 60);
  EXPECT_EQ(Sections(csv).size(), 2u);
}

TEST_F(Download, SetClockGoesBeforeEndDownload) {
  Run(FirstResults(1), /*setClock=*/true);
  EXPECT_EQ(notices.boxes, std::vector<Notice>{kComplete});
  const std::vector<std::uint16_t> codes = Codes();
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes[codes.size() - 2], TesterCode::SetRtc);
  EXPECT_EQ(codes.back(), TesterCode::EndDownload);
  ASSERT_TRUE(core->ClockSent().has_value());
  EXPECT_GE(core->ClockSent()->year, 2026);
}

TEST_F(Download, PortThatCannotBeOpenedTouchesNothing) {
  failOpenAt = PortOpenResult::Stage::OpenFailed;
  Run(Demo());
  ASSERT_EQ(notices.boxes.size(), 1u);
  EXPECT_EQ(notices.boxes[0].caption, "Communication error");
  EXPECT_EQ(notices.boxes[0].kind, NoticeKind::Warning);
  EXPECT_EQ(notices.boxes[0].text.rfind("Protocol Error 1", 0), 0u) << notices.boxes[0].text;
  EXPECT_TRUE(core->Requests().empty());
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(Download, NoResultsLeavesTheFileAloneButEndsTheDownload) {
  { std::ofstream(path) << "keep me"; }
  Run(FirstResults(0), /*setClock=*/true);
  const Notice none{"Download", "No results queued for download, is the tester in download mode?",
                    NoticeKind::Information};
  EXPECT_EQ(notices.boxes, (std::vector<Notice>{none, kComplete}));
  EXPECT_EQ(Codes(), (std::vector<std::uint16_t>{TesterCode::ResultCount, TesterCode::SetRtc,
                                                 TesterCode::EndDownload}));
  EXPECT_EQ(Contents(), "keep me");
}

TEST_F(Download, ResultFailingOnceIsWrittenOnce) {
  TesterScenario scenario = FirstResults(2);
  // The tester refuses the second result's info request once (request 7: count, three identity
  // commands, result 1's info and data, then result 2's info).
  scenario.faults.push_back(ParseFault("status:3@7"));
  Run(scenario);
  EXPECT_EQ(notices.boxes, (std::vector<Notice>{TryFailed(1), kComplete}));
  Run(FirstResults(2));
  const std::string clean = Contents();
  Run(scenario);
  EXPECT_EQ(Contents(), clean);
}

TEST_F(Download, ResultFailingThreeTimesAbortsKeepingEarlierResults) {
  TesterScenario scenario = FirstResults(3);
  scenario.faults.push_back(ParseFault("status:3@7*3"));
  Run(FirstResults(1));
  const std::string firstOnly = Contents();
  scenario.faults.push_back(ParseFault("status:3@9"));
  scenario.faults.push_back(ParseFault("status:3@11"));
  Run(scenario);
  EXPECT_EQ(notices.boxes, (std::vector<Notice>{TryFailed(1), TryFailed(2), kAborted}));
  EXPECT_FALSE(core->EndDownloadReceived());
  EXPECT_EQ(Contents(), firstOnly);
}

TEST_F(Download, UnknownTestTypeIsFetchedThreeTimesAndSkipped) {
  TesterScenario scenario = FirstResults(2);
  ResultFields unknown;
  unknown.assetId = "X";
  unknown.testType = 0x21;
  scenario.results.insert(scenario.results.begin() + 1, StoredResultFrom(unknown));
  Run(scenario);
  ASSERT_EQ(notices.boxes.size(), 1u);
  EXPECT_EQ(notices.boxes[0].text,
            "Download complete\n1 result was skipped because its test type is not known.");
  const std::vector<std::uint16_t> codes = Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), TesterCode::ResultInfo), 5);
  EXPECT_EQ(Sections(Contents()).size(), 2u);
  ASSERT_FALSE(notices.warnings.empty());
  EXPECT_NE(notices.warnings.back().find("test type 33 is not known"), std::string::npos)
      << notices.warnings.back();
}

TEST_F(Download, TesterThatStopsAnsweringEndsWithOneRuntimeError) {
  TesterScenario scenario = FirstResults(3);
  scenario.faults.push_back(ParseFault("silence@8"));
  Run(scenario);
  ASSERT_FALSE(notices.boxes.empty());
  // Every attempt of the result fails the same way; the user sees the tries, then the end.
  EXPECT_EQ(notices.boxes.back(), kAborted);
  EXPECT_EQ(std::count(notices.boxes.begin(), notices.boxes.end(), kComplete), 0);
  ASSERT_FALSE(notices.warnings.empty());
  EXPECT_NE(notices.warnings.back().find("No response from tester"), std::string::npos);

  // Silence before the file is touched: the message itself is the runtime error.
  TesterScenario early = FirstResults(3);
  early.faults.push_back(ParseFault("silence@2"));
  Run(early);
  EXPECT_EQ(notices.boxes,
            (std::vector<Notice>{{"Runtime Error",
                                  "No response from tester. Is it connected and in Download mode?",
                                  NoticeKind::Error}}));
}

TEST_F(Download, WrongStoredCrcIsAWarningNotAFailure) {
  TesterScenario scenario = FirstResults(1);
  scenario.faults.push_back(ParseFault("bad-stored-crc:2@0x2822"));
  Run(scenario);
  EXPECT_EQ(notices.boxes, std::vector<Notice>{kComplete});
  ASSERT_EQ(notices.warnings.size(), 1u);
  EXPECT_NE(notices.warnings[0].find("data segment"), std::string::npos) << notices.warnings[0];
}

TEST_F(Download, SecondDownloadReplacesTheFile) {
  Run(FirstResults(4));
  const std::string four = Contents();
  Run(FirstResults(1));
  EXPECT_EQ(Sections(Contents()).size(), 1u);
  EXPECT_EQ(four.rfind(Contents(), 0), 0u);  // the one result is the first of the four
}

TEST_F(Download, EveryDemoResultMatchesAGraphPointsDownload) {
  Run(Demo(), false, /*graphPoints=*/true);
  EXPECT_EQ(notices.boxes, std::vector<Notice>{kComplete});
  const std::vector<std::string> sections = Sections(Contents());
  EXPECT_EQ(sections.size(), Demo().results.size());
}

TEST_F(Download, ResultCountBeyondSixteenBitsEndsBeforeTheFile) {
  auto port = std::make_unique<FakeSerialPort>(ticks);
  testing::ScriptedPeer peer([](const testing::Request& r) -> std::optional<ByteVector> {
    ByteVector payload;
    testing::PutLong(payload, 70000);
    return testing::ReplyData(r.code, r.sequence, 0, payload);
  });
  port->peer = std::ref(peer);
  DexalSerialDownloader downloader(L"COM7", path.wstring(), notices, std::move(port), ticks);
  downloader.Download();
  EXPECT_EQ(notices.boxes,
            (std::vector<Notice>{
                {"Runtime Error", "Result count from tester is out of range", NoticeKind::Error}}));
  EXPECT_FALSE(fs::exists(path));
  ASSERT_EQ(peer.requests.size(), 1u);
}

}  // namespace
}  // namespace Dexal
