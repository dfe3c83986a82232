#include "shell/DialogNotices.h"

#include "platform/WideText.h"
#include "shell/DialogText.h"
#include "shell/resource.h"

namespace Dexal {

void DialogNotices::Notify(const std::string& caption, const std::string& text, NoticeKind kind) {
  UINT icon = MB_ICONINFORMATION;
  if (kind == NoticeKind::Warning) icon = MB_ICONEXCLAMATION;
  if (kind == NoticeKind::Error) icon = MB_ICONERROR;
  // Wide, so that a path or a system message in UTF-8 shows every letter; an 8-bit text shows
  // as Windows-1252.
  MessageBoxW(dialog_, WideTextFromUtf8(text).c_str(), WideTextFromUtf8(caption).c_str(),
              MB_OK | icon);
}

void DialogNotices::Progress(std::uint32_t index, std::uint32_t count, std::uint64_t /*bytes*/) {
  // The message loop does not run during a download. A look at the queue, taking nothing from
  // it, tells Windows the window is alive (it is not ghosted as "Not Responding"), and what
  // needs painting is painted now.
  MSG ignored;
  PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE);
  if (index != shownIndex_) {  // new text once a result
    shownIndex_ = index;
    const std::wstring line = ProgressTextFromIndex(index, count);
    HWND text = GetDlgItem(dialog_, IDC_TITLE_TEXT);
    if (text != nullptr && !line.empty()) SetWindowTextW(text, line.c_str());
  }
  RedrawWindow(dialog_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace Dexal
