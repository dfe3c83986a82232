// Looks into a top-level window from the Windows side, for the GUI test script.
//   winspy list TITLE        one line per control: id, class, rectangle, text, check, selection
//   winspy click TITLE ID    posts BM_CLICK to control ID (posted: the handler may not return)
//   winspy select TITLE ID ITEM  selects a combo box entry by its text, or -1 for none
//   winspy text TITLE ID     prints the control's text without a message to its thread, which
//                            may be busy in a download
//   winspy settext TITLE ID TEXT  puts TEXT into control ID with WM_SETTEXT and prints what the
//                            control then holds: no key can be lost on the way
//   winspy hung TITLE        "hung" or "responding", as Windows judges the window
// Exit status: 0 done, 1 no such window or control, or the text did not stick, 2 usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/WideText.h"

namespace {

using Dexal::Utf8FromWideText;

const char* const kUsage =
    "usage: winspy list|hung|click|select|text|settext TITLE [ID [ITEM|TEXT]]\n";

// Line breaks written as \n so that one control stays on one line.
std::string Escaped(const std::wstring& text) {
  std::string out;
  for (const char c : Utf8FromWideText(text)) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

void PrintControl(HWND control) {
  wchar_t className[128] = {};
  GetClassNameW(control, className, 128);
  RECT rect{};
  GetWindowRect(control, &rect);
  std::string check = "-";
  if (_wcsicmp(className, L"Button") == 0) {
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX) {
      check = std::to_string(SendMessageW(control, BM_GETCHECK, 0, 0));
    }
  }
  std::printf("id=%d class=%s rect=%ld,%ld,%ld,%ld text=\"%s\" check=%s sel=",
              GetDlgCtrlID(control), Utf8FromWideText(className).c_str(), rect.left, rect.top,
              rect.right, rect.bottom, Escaped(TextOf(control)).c_str(), check.c_str());
  if (_wcsicmp(className, L"ComboBox") != 0) {
    std::printf("-\n");
    return;
  }
  // The selection, then the items separated by |.
  const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
  std::wstring items;
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t item[256] = {};
    SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
    if (i > 0) items += L"|";
    items += item;
  }
  std::printf("%ld items=\"%s\"\n", static_cast<long>(SendMessageW(control, CB_GETCURSEL, 0, 0)),
              Escaped(items).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::wstring command = argv[1];
  HWND window = FindWindowW(nullptr, argv[2]);
  if (window == nullptr) {
    std::fprintf(stderr, "no window titled \"%s\"\n", Utf8FromWideText(argv[2]).c_str());
    return 1;
  }
  if (command == L"list") {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("window rect=%ld,%ld,%ld,%ld text=\"%s\"\n", rect.left, rect.top, rect.right,
                rect.bottom, Escaped(TextOf(window)).c_str());
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
      if (GetParent(child) == window) PrintControl(child);
    }
    return 0;
  }
  if (command == L"hung") {
    std::printf("%s\n", IsHungAppWindow(window) ? "hung" : "responding");
    return 0;
  }
  HWND control = argc >= 4 ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
  if (argc >= 4 && control == nullptr) {
    std::fprintf(stderr, "no control %s\n", Utf8FromWideText(argv[3]).c_str());
    return 1;
  }
  if (command == L"click" && argc == 4) {
    PostMessageW(control, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"select" && argc == 5) {
    const std::wstring item = argv[4];
    if (item == L"-1")
      return SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(-1), 0) == CB_ERR ? 0 : 1;
    const LRESULT index = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(item.c_str()));
    if (index == CB_ERR) {
      std::fprintf(stderr, "no entry %s\n", Utf8FromWideText(item).c_str());
      return 1;
    }
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return 0;
  }
  if (command == L"settext" && argc == 5) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
    const std::wstring held = TextOf(control);
    std::printf("%s\n", Escaped(held).c_str());
    return held == argv[4] ? 0 : 1;
  }
  if (command == L"text" && argc == 4) {
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    std::printf("%s\n", Escaped(text).c_str());
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 2;
}
