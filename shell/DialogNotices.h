#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "download/DexalNotices.h"

namespace Dexal {

// The download's notices as message boxes owned by the dialog, and its progress in the
// dialog's static text.
class DialogNotices final : public DexalNotices {
 public:
  explicit DialogNotices(HWND dialog) : dialog_(dialog) {}

  void Notify(const std::string& caption, const std::string& text, NoticeKind kind) override;
  void Progress(std::uint32_t index, std::uint32_t count, std::uint64_t bytes) override;

 private:
  HWND dialog_;
  std::uint32_t shownIndex_ = 0xFFFFFFFFU;
};

}  // namespace Dexal
