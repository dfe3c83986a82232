#pragma once

#include <cstdio>
#include <string>

#include "download/DexalNotices.h"
#include "download/DexalSerialDownloader.h"

namespace Dexal {

// Notices of a download on the console: "[Caption] text", "warning: " and "note: " lines on
// stderr, and a progress line when stderr is a terminal. The download stops when the user
// interrupts the program (CatchInterruptions).
class ConsoleNotices final : public DexalNotices {
 public:
  ConsoleNotices(std::FILE* out, bool showProgress) : out_(out), showProgress_(showProgress) {}

  void Notify(const std::string& caption, const std::string& text, NoticeKind kind) override;
  void Warn(const std::string& text) override;
  void Progress(std::uint32_t index, std::uint32_t count, std::uint64_t bytes) override;
  bool StopRequested() override;

  // What became of the files, after the download.
  void Note(const std::string& text);

  // After the download: the usual fix when this account may not open the port.
  void HintAfter(const DownloadOutcome& outcome, const std::string& port);

 private:
  void EndProgressLine();

  std::FILE* out_;
  bool showProgress_;
  bool progressShown_ = false;
};

}  // namespace Dexal
