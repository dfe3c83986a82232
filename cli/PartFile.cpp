#include "cli/PartFile.h"

#include <system_error>

#include "platform/FileSystem.h"
#include "platform/OsError.h"
#include "platform/WideText.h"

namespace Dexal {

PartFile::PartFile(const std::string& output) : name_(output) {
  const WriteTarget target = WriteTargetOf(PathFromUtf8(output));
  output_ = target.path;
  direct_ = target.stream;
  part_ = output_;
  if (!direct_) part_ += ".part";
}

std::wstring PartFile::DownloadPath() const { return WideTextFromUtf8(Utf8FromPath(part_)); }

bool PartFile::PutInPlace(std::string& reason) const {
  if (direct_) return true;
  std::uint32_t osError = 0;
  if (FlushToDisk(part_, osError) && MoveFileOnto(part_, output_, osError)) return true;
  reason = OsErrorReason(osError);
  return false;
}

std::string PartFile::Settle(const DownloadOutcome& outcome) const {
  std::error_code error;
  const std::string where = Utf8FromPath(part_);
  const std::string counted =
      std::to_string(outcome.written) + " of " + std::to_string(outcome.resultCount) + " results";
  if (direct_) return counted + " were written to " + where;
  const std::string outputState =
      name_ + (std::filesystem::exists(output_, error) ? " is unchanged" : " was not made");
  if (outcome.kind == DownloadOutcome::Kind::NoResultsQueued) {
    return "no results queued; " + outputState;
  }
  const std::string prefix = outcome.kind == DownloadOutcome::Kind::Stopped ? "interrupted: " : "";
  if (outcome.written == 0) {
    // A part file of an earlier download is not this one's to remove.
    if (outcome.fileBegun) std::filesystem::remove(part_, error);
    return prefix + "no result was written; " + outputState;
  }
  return prefix + counted + (outcome.written == 1 ? " is" : " are") + " in " + where + "; " +
         outputState;
}

}  // namespace Dexal
