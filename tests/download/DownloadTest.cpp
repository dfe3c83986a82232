// Every scenario under tests/testdata/golden downloaded in process from the emulator's core:
// NAME.json gives NAME.csv without graph points and NAME.points.csv with them (NAME.csv again
// where there is none; that run goes through an emulated USB adapter that holds each reply's last
// packet 16 ms), byte for byte, and the notices in NAME.notices (DEXAL_REGENERATE_GOLDEN=1
// writes them instead, see tests/testdata/README.md). Then what the golden files cannot show: the
// requests and their order, no file where nothing is written, a result count the indices cannot
// reach, and a download stopped by the user. (A write that fails partway:
// tests/e2e/file_faults.py.)

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "platform/CalendarTime.h"
#include "tester/DemoTester.h"
#include "tester/ReplySchedule.h"
#include "tester/ResultFields.h"
#include "tester/ScenarioJson.h"
#include "tester/TesterCore.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

using namespace testing;
using Codes = std::vector<std::uint16_t>;

struct DownloadOptions {
  bool graphPoints = false;
  bool setClock = false;
  PortOpenResult::Stage failOpenAt = PortOpenResult::Stage::Ok;
  std::uint32_t adapterLatencyMs = 0;  // replies in USB packets, the last one held (ReplySchedule)
  // The user asks the download to stop once the tester has had this many requests (0: never).
  std::size_t stopAfterRequests = 0;
};

// What one download against the emulator's protocol core left behind.
struct DownloadRun {
  // Every notice and warning in the order given, one line each, line breaks as "\n":
  // "information [Caption] text", "warning [Caption] text", "error [Caption] text" for the
  // message boxes, "warning: text" for the warnings the dialog does not show.
  std::string notices;
  std::string csv;  // the output file's bytes; "" when there is none
  bool fileExists = false;
  DownloadOutcome outcome;
  std::unique_ptr<TesterCore> core;  // kept for its record of requests

  [[nodiscard]] std::vector<std::uint16_t> Codes() const {
    std::vector<std::uint16_t> codes;
    for (const RequestRecord& r : core->Requests()) codes.push_back(r.code);
    return codes;
  }
};

class RecordedNotices final : public DexalNotices {
 public:
  RecordedNotices(std::string& lines, std::function<bool()> stop)
      : lines_(lines), stop_(std::move(stop)) {}
  void Notify(const std::string& caption, const std::string& text, NoticeKind kind) override {
    const char* kindName = kind == NoticeKind::Information ? "information"
                           : kind == NoticeKind::Warning   ? "warning"
                                                           : "error";
    lines_ += std::string(kindName) + " [" + caption + "] " + ReplaceAll(text, "\n", "\\n") + "\n";
  }
  void Warn(const std::string& text) override {
    lines_ += "warning: " + ReplaceAll(text, "\n", "\\n") + "\n";
  }
  bool StopRequested() override { return stop_(); }

 private:
  std::string& lines_;
  std::function<bool()> stop_;
};

// One download of `scenario` into `output`, the downloader and the core joined by the fake port
// and driven by the fake clock, so late replies and time-outs cost no real time.
DownloadRun RunEmulatedDownload(TesterScenario scenario, const std::filesystem::path& output,
                                const DownloadOptions& options = {}) {
  DownloadRun run;
  run.core = std::make_unique<TesterCore>(std::move(scenario));
  FakeTicks ticks;
  auto port = std::make_unique<FakeSerialPort>(ticks);
  port->failOpenAt = options.failOpenAt;
  FakeSerialPort* raw = port.get();
  TesterCore* core = run.core.get();
  const LinePace pace{.adapterLatency = std::chrono::milliseconds(options.adapterLatencyMs)};
  port->peer = [core, raw, &ticks, pace](const ByteVector& written) {
    const std::chrono::system_clock::time_point now{std::chrono::milliseconds(ticks.now)};
    for (const ReplyPlan& plan : core->Feed(written.data(), written.size(), now)) {
      if (plan.closeLine) continue;
      for (const ReplyPiece& piece : ReplySchedule(plan.bytes.size(), pace)) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(piece.at).count();
        const auto from = plan.bytes.begin() + static_cast<std::ptrdiff_t>(piece.from);
        raw->Deliver(ByteVector(from, from + static_cast<std::ptrdiff_t>(piece.bytes)),
                     plan.delayMs + 1 + static_cast<std::uint32_t>(ms));
      }
    }
    return ByteVector();
  };
  RecordedNotices notices(run.notices, [core, &options] {
    return options.stopAfterRequests != 0 && core->Requests().size() >= options.stopAfterRequests;
  });
  {
    DexalSerialDownloader downloader(
        {L"COM7", output.wstring(), options.setClock, options.graphPoints}, notices,
        std::move(port), ticks);
    run.outcome = downloader.Download();
  }
  run.fileExists = std::filesystem::exists(output);
  run.csv = ReadFileBytes(output);
  return run;
}

TesterScenario FirstResults(std::size_t n, std::uint8_t unknownType = 0) {
  TesterScenario scenario = DemoTesterScenario();
  scenario.results.resize(n);
  ResultFields unknown;
  unknown.testType = unknownType;
  if (unknownType != 0) scenario.results.push_back(StoredResultFrom(unknown));
  return scenario;
}

TEST(Download, RequestsGoOutInTheirOrder) {
  const testing::TempDir dir;
  // A result of a type without a record is fetched three times, and no clock without the option.
  const DownloadRun plain = RunEmulatedDownload(FirstResults(1, 0x21), dir / "a.csv");
  EXPECT_EQ(plain.Codes(), (Codes{0x2820, 0x2900, 0x2807, 0x2900, 0x2821, 0x2822, 0x2821, 0x2822,
                                  0x2821, 0x2822, 0x2821, 0x2822, 0x2823}));

  const CalendarTime before = CurrentCalendarTime();
  const DownloadRun clocked =
      RunEmulatedDownload(FirstResults(1), dir / "a.csv", {.setClock = true});
  EXPECT_EQ(clocked.Codes(),
            (Codes{0x2820, 0x2900, 0x2807, 0x2900, 0x2821, 0x2822, 0x2804, 0x2823}));
  // The clock sent is the computer's local time.
  const TesterClock sent = clocked.core->ClockSent().value_or(TesterClock{});
  const CalendarTime sentTime = CalendarTimeFromLocal(
      LocalDateFields(sent.year, sent.month, sent.day, sent.hour, sent.minute, sent.second));
  EXPECT_GE(sentTime, before - 1);
  EXPECT_LE(sentTime, before + 5);
}

TEST(Download, WhatTouchesNoFile) {
  const testing::TempDir dir;
  const DownloadRun closed = RunEmulatedDownload(FirstResults(1), dir / "a.csv",
                                                 {.failOpenAt = PortOpenResult::Stage::OpenFailed});
  EXPECT_EQ(closed.notices,
            "warning [Communication error] Protocol Error 1: Cannot open COM port.\\nSystem "
            "Reported Error 2: No such file or directory\n");
  EXPECT_EQ(closed.outcome.linkError, LinkError::OpenFailed);  // for the command line's hint
  EXPECT_EQ(closed.outcome.osError, 2u);
  EXPECT_TRUE(closed.core->Requests().empty());
  EXPECT_FALSE(closed.fileExists);

  // No results make no file (and leave one that is there as it was: the fault matrix's "none").
  const DownloadRun none = RunEmulatedDownload(FirstResults(0), dir / "a.csv", {.setClock = true});
  EXPECT_EQ(none.notices,
            "information [Download] No results queued for download, is the tester in download "
            "mode?\ninformation [Download] Download complete\n");
  EXPECT_EQ(none.Codes(), (Codes{0x2820, 0x2804, 0x2823}));
  EXPECT_FALSE(none.fileExists);

  // Result indices are 16 bits wide: a count above 65535 ends the download before the file.
  TesterScenario many;
  many.results.resize(70000);
  const DownloadRun over = RunEmulatedDownload(many, dir / "b.csv");
  EXPECT_EQ(over.notices, "error [Runtime Error] Result count from tester is out of range\n");
  EXPECT_EQ(over.Codes(), Codes{0x2820});
  EXPECT_FALSE(over.fileExists);
}

// Stopping (the command line's Ctrl-C) ends the download between chunks as a failure ends it,
// but without a message and, like a failure, without the end-download command; the file keeps
// the whole sections written before.
TEST(Download, StopRequestedEndsBetweenChunks) {
  const testing::TempDir dir;
  const TesterScenario scenario = FirstResults(3);
  const DownloadRun clean = RunEmulatedDownload(scenario, dir / "clean.csv");
  const Codes codes = clean.Codes();
  // Stopped once the tester has had the request for the second result's first chunk.
  const auto secondInfo =
      std::find(std::find(codes.begin(), codes.end(), 0x2821) + 1, codes.end(), 0x2821);
  const auto stopAt = static_cast<std::size_t>(secondInfo - codes.begin()) + 2;
  const DownloadRun stopped =
      RunEmulatedDownload(scenario, dir / "stopped.csv", {.stopAfterRequests = stopAt});
  EXPECT_EQ(stopped.Codes(), Codes(codes.begin(), codes.begin() + static_cast<long>(stopAt)));
  EXPECT_EQ(stopped.notices, "");
  EXPECT_EQ(stopped.outcome.kind, DownloadOutcome::Kind::Stopped);
  EXPECT_EQ(stopped.outcome.resultCount, 3u);
  EXPECT_EQ(stopped.outcome.written, 1u);
  const std::size_t secondAt = clean.csv.find("\nAsset ID,", clean.csv.find("\nAsset ID,") + 1);
  EXPECT_EQ(stopped.csv, clean.csv.substr(0, secondAt + 1));
}

namespace fs = std::filesystem;

// A scenario whose graph points change nothing has no NAME.points.csv: its points run must give
// NAME.csv (regenerating writes NAME.points.csv only when the two runs differ).
TEST(GoldenDownload, EachScenarioGivesItsCsvBytes) {
  const testing::ScopedTimeZone utc("UTC0");
  const testing::TempDir dir;
  const bool regenerating = std::getenv("DEXAL_REGENERATE_GOLDEN") != nullptr;
  for (const std::string& name : testing::TestDataStems("golden", ".json")) {
    const std::string base = testing::TestDataPath("golden").string() + "/" + name;
    const TesterScenario scenario = LoadScenarioFile(base + ".json");
    std::string plain;
    for (const bool points : {false, true}) {
      SCOPED_TRACE(name + (points ? " with graph points" : " without graph points"));
      const DownloadRun run =
          RunEmulatedDownload(scenario, dir / (name + (points ? ".points.csv" : ".csv")),
                              {.graphPoints = points, .adapterLatencyMs = points ? 16u : 0u});
      std::string golden = base + ".csv";
      if (points) {
        const bool own = regenerating ? run.csv != plain : fs::exists(base + ".points.csv");
        if (own) golden = base + ".points.csv";
        if (!own && regenerating) fs::remove(base + ".points.csv");
      } else {
        plain = run.csv;
      }
      testing::ExpectGoldenFile(run.csv, golden);
      testing::ExpectGoldenFile(run.notices, base + ".notices");
    }
  }
}

}  // namespace
}  // namespace Dexal
