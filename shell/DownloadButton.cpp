// The "Download" handler: the save dialog, then one download on this thread.
#include <shobjidl.h>
#include <windows.h>

#include <string>

#include "download/DexalSerialDownloader.h"
#include "shell/DialogNotices.h"
#include "shell/MainDialog.h"
#include "shell/resource.h"

namespace Dexal {

namespace {

// The path chosen in the common save dialog; empty when cancelled or failed.
std::wstring OutputPathFromSaveDialog() {
  IFileSaveDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_ALL, IID_IFileSaveDialog,
                              reinterpret_cast<void**>(&dialog)))) {
    return {};
  }
  const COMDLG_FILTERSPEC types[] = {{L"CSV", L"*.csv"}, {L"All Files", L"*.*"}};
  dialog->SetFileTypes(2, types);
  dialog->SetDefaultExtension(L"csv");
  std::wstring path;
  if (SUCCEEDED(dialog->Show(nullptr))) {
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->GetResult(&item))) {
      PWSTR text = nullptr;
      if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &text))) {
        path = text;
        CoTaskMemFree(text);
      }
      item->Release();
    }
  }
  dialog->Release();
  return path;
}

void ShowCursorNow(LPCWSTR cursor) {
  Shell().cursor = LoadCursorW(nullptr, cursor);
  SendMessageW(Shell().dialog, WM_SETCURSOR, 0, 0);
}

bool IsTicked(HWND dialog, int id) {
  return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

}  // namespace

void OnDownloadClicked() {
  HWND dialog = Shell().dialog;
  const std::wstring outputPath = OutputPathFromSaveDialog();
  if (!outputPath.empty()) {
    wchar_t portName[32] = {};
    GetWindowTextW(GetDlgItem(dialog, IDC_PORT_LIST), portName, 32);
    HWND title = GetDlgItem(dialog, IDC_TITLE_TEXT);
    wchar_t startupText[256] = {};
    if (title != nullptr) GetWindowTextW(title, startupText, 256);

    DialogNotices notices(dialog);
    {
      DexalSerialDownloader downloader({portName, outputPath, IsTicked(dialog, IDC_SET_CLOCK),
                                        IsTicked(dialog, IDC_GRAPH_POINTS)},
                                       notices);
      ShowCursorNow(IDC_WAIT);
      downloader.Download();
    }  // the downloader closes the port here
    if (title != nullptr) SetWindowTextW(title, startupText);
  }
  ShowCursorNow(IDC_ARROW);
}

}  // namespace Dexal
