#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "download/DexalSerialDownloader.h"
#include "platform/SerialPort.h"
#include "tester/TesterCore.h"

namespace Dexal::testing {

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

  [[nodiscard]] std::vector<std::uint16_t> Codes() const;
};

// One download of `scenario` into `output`, the downloader and the core joined by the fake port
// and driven by the fake clock, so late replies and time-outs cost no real time.
DownloadRun RunEmulatedDownload(TesterScenario scenario, const std::filesystem::path& output,
                                const DownloadOptions& options = {});

}  // namespace Dexal::testing
