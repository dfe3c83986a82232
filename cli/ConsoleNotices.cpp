#include "cli/ConsoleNotices.h"

#include <sstream>

#include "platform/Interruption.h"
#include "platform/OsError.h"

namespace Dexal {

void ConsoleNotices::EndProgressLine() {
  if (progressShown_) {
    std::fputs("\n", out_);
    progressShown_ = false;
  }
}

void ConsoleNotices::Notify(const std::string& caption, const std::string& text,
                            NoticeKind /*kind*/) {
  EndProgressLine();
  std::fprintf(out_, "[%s] %s\n", caption.c_str(), text.c_str());
  std::fflush(out_);
}

void ConsoleNotices::Warn(const std::string& text) {
  EndProgressLine();
  // One line per warning: a cause of several lines (a status error, the link's error text) is
  // joined, so that every line on stderr is a warning or belongs to a [Caption] block.
  std::string line;
  std::istringstream lines(text);
  for (std::string part; std::getline(lines, part);) {
    if (!part.empty() && part.back() == '\r') part.pop_back();
    if (part.empty()) continue;
    line += (line.empty() ? "" : " / ") + part;
  }
  std::fprintf(out_, "warning: %s\n", line.c_str());
  std::fflush(out_);
}

void ConsoleNotices::Progress(std::uint32_t index, std::uint32_t count, std::uint64_t bytes) {
  if (!showProgress_) return;
  const std::uint32_t shown = index < count ? index + 1 : count;
  std::fprintf(out_, "\rresult %u of %u, %llu bytes received   ", static_cast<unsigned>(shown),
               static_cast<unsigned>(count), static_cast<unsigned long long>(bytes));
  std::fflush(out_);
  progressShown_ = true;
  if (index >= count) EndProgressLine();
}

bool ConsoleNotices::StopRequested() { return Interrupted(); }

void ConsoleNotices::Note(const std::string& text) {
  EndProgressLine();
  std::fprintf(out_, "note: %s\n", text.c_str());
  std::fflush(out_);
}

void ConsoleNotices::HintAfter(const DownloadOutcome& outcome, const std::string& port) {
  if (outcome.linkError == LinkError::OpenFailed && IsPermissionDenied(outcome.osError)) {
    std::fprintf(out_, "%s\n", PermissionDeniedHint(port).c_str());
  }
}

}  // namespace Dexal
