#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/Desktop.h"
#include "platform/WideText.h"

namespace Dexal {

bool HasDesktopDialogs() { return true; }

std::vector<std::filesystem::path> FilesFromOpenDialog(const std::string& kindName,
                                                       const std::string& pattern) {
  std::wstring filter = WideTextFromUtf8(kindName) + L'\0' + WideTextFromUtf8(pattern) + L'\0';
  filter += L'\0';
  // Room for some thousands of names: the folder and each name, NUL after each.
  std::vector<wchar_t> chosen(std::size_t{1} << 20, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = static_cast<DWORD>(chosen.size());
  dialog.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                 OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&dialog)) return {};
  return PathsFromOpenDialogText(std::wstring_view(chosen.data(), chosen.size()));
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
