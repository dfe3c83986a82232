// What the golden files (tests/testdata/golden/download-*) cannot show: the requests and their
// order, a file that is left alone, a result count the indices cannot reach, and a write that
// fails partway.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "platform/CalendarTime.h"
#include "tester/DemoTester.h"
#include "tester/ResultFields.h"
#include "tests/support/CsvSections.h"
#include "tests/support/EmulatedDownload.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

using testing::DownloadRun;
using testing::RunEmulatedDownload;
using Codes = std::vector<std::uint16_t>;
using Lines = std::vector<std::string>;

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
  EXPECT_EQ(plain.core->Requests()[1].payload, ByteVector({0, 0})) << "serial number";
  EXPECT_EQ(plain.core->Requests()[3].payload, ByteVector({1, 0})) << "service date";

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
  ASSERT_EQ(closed.notices.size(), 1u);
  EXPECT_TRUE(closed.notices[0].starts_with(
      "warning [Communication error] Protocol Error 1: Cannot open COM port.\\n"));
  EXPECT_TRUE(closed.core->Requests().empty());
  EXPECT_FALSE(closed.fileExists);

  // No results leave the file as it was; a download with results replaces it.
  testing::WriteFileBytes(dir / "a.csv", "keep me");
  const DownloadRun none = RunEmulatedDownload(FirstResults(0), dir / "a.csv", {.setClock = true});
  EXPECT_EQ(none.notices,
            (Lines{"information [Download] No results queued for download, is the tester in "
                   "download mode?",
                   "information [Download] Download complete"}));
  EXPECT_EQ(none.Codes(), (Codes{0x2820, 0x2804, 0x2823}));
  EXPECT_EQ(none.csv, "keep me");
  EXPECT_EQ(RunEmulatedDownload(FirstResults(1), dir / "a.csv").csv.rfind("Serial,", 0), 0u);

  // Result indices are 16 bits wide: a count above 65535 ends the download before the file.
  testing::FakeTicks ticks;
  auto port = std::make_unique<testing::FakeSerialPort>(ticks);
  testing::ScriptedPeer peer([](const testing::Request& r) -> std::optional<ByteVector> {
    return testing::ReplyData(r.code, r.sequence, 0, {0x70, 0x11, 0x01, 0x00});  // 70000
  });
  port->peer = std::ref(peer);
  struct : DexalNotices {
    void Notify(const std::string& caption, const std::string& text, NoticeKind) override {
      seen.push_back("[" + caption + "] " + text);
    }
    Lines seen;
  } notices;
  DexalSerialDownloader(L"COM7", (dir / "b.csv").wstring(), notices, std::move(port), ticks)
      .Download();
  EXPECT_EQ(notices.seen, Lines{"[Runtime Error] Result count from tester is out of range"});
  EXPECT_FALSE(std::filesystem::exists(dir / "b.csv"));
  EXPECT_EQ(peer.requests.size(), 1u);
}

// The file size limit falls inside the second result's section: each try fails partway and
// is cut back, so the aborted download leaves the header and the first section only.
TEST(Download, WriteFailingPartwayLeavesWholeSectionsOnly) {
  const testing::TempDir dir;
  const TesterScenario scenario = FirstResults(3);
  const std::string clean = RunEmulatedDownload(scenario, dir / "clean.csv").csv;
  const std::string second = testing::CsvSections(clean).at(1);
  const std::size_t secondAt = clean.find(second);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{secondAt + second.size() / 2, RLIM_INFINITY};
    std::string notices;
    if (setrlimit(RLIMIT_FSIZE, &limit) == 0) {
      for (const auto& line : RunEmulatedDownload(scenario, dir / "cut.csv").notices) {
        notices += line + "\n";
      }
    }
    _exit(write(pipeEnds[1], notices.data(), notices.size()) == ssize_t(notices.size()) ? 0 : 1);
  }
  close(pipeEnds[1]);
  std::string notices;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    notices.append(buffer, static_cast<std::size_t>(n));
  close(pipeEnds[0]);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string cause = ": Could not write to file\\n" + (dir / "cut.csv").string() + "\n";
  EXPECT_EQ(notices, "warning: result 2, try 1" + cause +
                         "warning [Error] Download error: try 1\n" + "warning: result 2, try 2" +
                         cause + "warning [Error] Download error: try 2\n" +
                         "warning: result 2, try 3" + cause +
                         "error [Runtime Error] The download was aborted\n");
  EXPECT_EQ(testing::ReadFileBytes(dir / "cut.csv"), clean.substr(0, secondAt));
}

}  // namespace
}  // namespace Dexal
