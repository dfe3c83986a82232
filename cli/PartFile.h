#pragma once

#include <filesystem>
#include <string>

#include "download/DexalSerialDownloader.h"

namespace Dexal {

// The command line's output: the download goes into a part file beside it (FILE.part), which
// replaces the output in one rename when the download completed. So a file with the output's
// name is always a whole download, and one that does not complete leaves it as it was. An
// output that exists and is not a file (a device, a pipe: /dev/stdout) cannot be replaced: the
// download is written into it as it comes.
class PartFile {
 public:
  // The output as the user named it (UTF-8). An output that is a link is replaced where it
  // points, so that the link stays.
  explicit PartFile(const std::string& output);

  // Where the download writes.
  [[nodiscard]] std::wstring DownloadPath() const;

  // The output once in place, for what reads it next (the report).
  [[nodiscard]] const std::filesystem::path& Output() const { return output_; }

  // After a completed download that wrote the file: the part file becomes the output. False,
  // with the reason, when the rename fails (the part file then stays).
  bool PutInPlace(std::string& reason) const;

  // After any other end, or a rename that failed: removes a part file that this download began
  // and that holds no result, and says what became of the files, "N of M results are in
  // FILE.part; FILE is unchanged".
  [[nodiscard]] std::string Settle(const DownloadOutcome& outcome) const;

 private:
  std::string name_;  // as the user gave it, for messages
  std::filesystem::path output_;
  std::filesystem::path part_;
  bool direct_ = false;  // a device or pipe
};

}  // namespace Dexal
