#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/Desktop.h"
#include "platform/WideText.h"

namespace Dexal {

bool HasDesktopDialogs() { return true; }

std::optional<std::filesystem::path> FileFromOpenDialog(const std::string& kindName,
                                                        const std::string& pattern) {
  // The filter is pairs of texts, each ending in a NUL, and one more NUL at the end.
  std::wstring filter = WideTextFromUtf8(kindName) + L'\0' + WideTextFromUtf8(pattern) + L'\0';
  filter += L'\0';
  wchar_t path[32768] = {};
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path;
  dialog.nMaxFile = static_cast<DWORD>(sizeof path / sizeof path[0]);
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::filesystem::path(path);
}

void CloseOwnConsole() {
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

void ShowMessageBox(const std::string& caption, const std::string& text, bool isError) {
  MessageBoxW(nullptr, WideTextFromUtf8(text).c_str(), WideTextFromUtf8(caption).c_str(),
              MB_OK | (isError ? MB_ICONERROR : MB_ICONINFORMATION));
}

bool AskYesNo(const std::string& caption, const std::string& text) {
  return MessageBoxW(nullptr, WideTextFromUtf8(text).c_str(), WideTextFromUtf8(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool OpenWithDefaultProgram(const std::filesystem::path& path) {
  // Some handlers are shell extensions that need COM on this thread. ShellExecuteW gives a value
  // above 32 when it started a program.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const HINSTANCE started =
      ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) CoUninitialize();
  return reinterpret_cast<INT_PTR>(started) > 32;
}

}  // namespace Dexal
