#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

enum class NoticeKind { Information, Warning, Error };

// Where a download reports to the user: the dialog shows message boxes, the command line
// prints to stderr, the tests record what was said.
class DexalNotices {
 public:
  virtual ~DexalNotices() = default;

  // A message box: caption, text, icon; the single button OK.
  virtual void Notify(const std::string& caption, const std::string& text, NoticeKind kind) = 0;

  // Things worth knowing that the dialog does not show (a stored CRC that did not match).
  virtual void Warn(const std::string& /*text*/) {}

  // Result `index` (0-based) of `count` is being fetched; `bytes` received on the line so far.
  virtual void Progress(std::uint32_t /*index*/, std::uint32_t /*count*/, std::uint64_t /*bytes*/) {
  }

  // Asked before each result and between its chunks: true stops the download there as a
  // failure stops it, without a message (the command line's Ctrl-C).
  virtual bool StopRequested() { return false; }
};

}  // namespace Dexal
