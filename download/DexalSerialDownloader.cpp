#include "download/DexalSerialDownloader.h"

#include <limits>
#include <stdexcept>

#include "csv/DexalCSVwriter.h"
#include "download/DexalNotices.h"
#include "download/DexalResultDownload.h"
#include "link/DexalPerformCmd.h"
#include "platform/SerialPort.h"
#include "platform/TickCount.h"

namespace Dexal {
namespace {

std::string CompletionText(std::uint32_t skipped) {
  std::string text = "Download complete";
  if (skipped == 1) {
    text += "\n1 result was skipped because its test type is not known.";
  } else if (skipped > 1) {
    text += "\n" + std::to_string(skipped) +
            " results were skipped because their test type is not known.";
  }
  return text;
}

}  // namespace

DexalSerialDownloader::DexalSerialDownloader(DownloadRequest request_, DexalNotices& notices_)
    : request(std::move(request_)), notices(notices_) {}

DexalSerialDownloader::DexalSerialDownloader(DownloadRequest request_, DexalNotices& notices_,
                                             std::unique_ptr<SerialPort> serialPort,
                                             TickSource& ticks)
    : link(std::move(serialPort), ticks), request(std::move(request_)), notices(notices_) {}

DexalSerialDownloader::~DexalSerialDownloader() { link.Close(); }

DownloadOutcome DexalSerialDownloader::Download() {
  DownloadOutcome outcome = Run();
  outcome.linkError = link.ErrorKind();
  outcome.osError = link.OsErrorCode();
  return outcome;
}

DownloadOutcome DexalSerialDownloader::Run() {
  using Kind = DownloadOutcome::Kind;
  if (!link.Open(request.portName)) {
    notices.Notify("Communication error", link.ErrorText(), NoticeKind::Warning);
    return {Kind::PortNotOpened};
  }
  DownloadOutcome outcome;
  try {
    DexalPerformCmd perform(&link);
    DexalCmdResultCount count;
    perform.visit(count);
    outcome.resultCount = count.resultCount;
    if (count.resultCount == 0) {
      outcome.kind = Kind::NoResultsQueued;
      notices.Notify("Download", "No results queued for download, is the tester in download mode?",
                     NoticeKind::Information);
    } else {
      // Result indices are 16 bits wide on the wire.
      if (count.resultCount > std::numeric_limits<std::uint16_t>::max()) {
        throw std::runtime_error("Result count from tester is out of range");
      }
      std::unique_ptr<DexalTesterInfo> testerInfo = ReadTesterInfo(perform);
      if (testerInfo) {
        {
          DexalCSVwriter header(request.outputPath, false);
          header.TruncateFile();
          outcome.fileBegun = true;
          header.WriteTesterHeader(*testerInfo);
        }
        auto progress = [&](std::uint32_t done) {
          notices.Progress(done, count.resultCount, link.BytesReceived());
        };
        auto stopIfRequested = [&] {
          if (notices.StopRequested()) throw DownloadStopped();
        };
        std::uint32_t index = 0;
        perform.betweenChunks = [&] {
          progress(index);
          stopIfRequested();
        };
        for (; index < count.resultCount; ++index) {
          progress(index);
          stopIfRequested();
          if (DownloadResult(perform, request, notices, *testerInfo,
                             static_cast<std::uint16_t>(index))) {
            ++outcome.written;
          } else {
            ++outcome.skipped;
          }
        }
        perform.betweenChunks = nullptr;
        progress(count.resultCount);
      }
    }
    if (request.setClock) {
      DexalCmdSetRTC rtc;
      perform.visit(rtc);
    }
    DexalCmdEndDownload end;
    perform.visit(end);
    notices.Notify("Download", CompletionText(outcome.skipped), NoticeKind::Information);
    if (outcome.kind != Kind::NoResultsQueued) outcome.kind = Kind::Completed;
    return outcome;
  } catch (const DownloadStopped&) {
    outcome.kind = Kind::Stopped;
  } catch (const DownloadAborted& e) {
    notices.Notify("Runtime Error", e.what(), NoticeKind::Error);
    outcome.kind = Kind::Aborted;
  } catch (const std::runtime_error& e) {
    notices.Notify("Runtime Error", e.what(), NoticeKind::Error);
    outcome.kind = Kind::Failed;
  } catch (const std::exception& e) {
    notices.Notify("Exception", e.what(), NoticeKind::Error);
    outcome.kind = Kind::Failed;
  }
  return outcome;
}

}  // namespace Dexal
