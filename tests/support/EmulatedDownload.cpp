#include "tests/support/EmulatedDownload.h"

#include <functional>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"
#include "tester/ReplySchedule.h"
#include "tests/support/FakeSerialPort.h"
#include "tests/support/TestFiles.h"

namespace Dexal::testing {

namespace {

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

}  // namespace

std::vector<std::uint16_t> DownloadRun::Codes() const {
  std::vector<std::uint16_t> codes;
  for (const RequestRecord& r : core->Requests()) codes.push_back(r.code);
  return codes;
}

DownloadRun RunEmulatedDownload(TesterScenario scenario, const std::filesystem::path& output,
                                const DownloadOptions& options) {
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

}  // namespace Dexal::testing
