#include "shell/MainDialog.h"

#include "platform/PortDiscovery.h"
#include "shell/DialogText.h"
#include "shell/FileVersion.h"
#include "shell/resource.h"

namespace Dexal {

ShellState& Shell() {
  static ShellState state;
  return state;
}

namespace {

void CentreOnOwner(HWND dialog) {
  HWND owner = GetParent(dialog);
  if (owner == nullptr) owner = GetDesktopWindow();
  RECT ownerRect{};
  RECT dialogRect{};
  GetWindowRect(owner, &ownerRect);
  GetWindowRect(dialog, &dialogRect);
  const WindowPosition position =
      CentredPosition(ownerRect.left, ownerRect.top, ownerRect.right, ownerRect.bottom,
                      dialogRect.right - dialogRect.left, dialogRect.bottom - dialogRect.top);
  SetWindowPos(dialog, HWND_TOP, static_cast<int>(position.x), static_cast<int>(position.y), 0, 0,
               SWP_NOSIZE);
}

std::wstring StartupText() {
  std::uint32_t ms = 0;
  std::uint32_t ls = 0;
  GetFileVersion(ms, ls);
  return StaticTextFromFileVersion(ms, ls);
}

BOOL OnInitDialog(HWND dialog, HWND proposedFocus) {
  Shell().dialog = dialog;
  CentreOnOwner(dialog);
  FillPortList(GetDlgItem(dialog, IDC_PORT_LIST));
  const std::wstring text = StartupText();
  HICON icon = LoadIconW(Shell().instance, MAKEINTRESOURCEW(IDI_APP_ICON));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (HWND title = GetDlgItem(dialog, IDC_TITLE_TEXT)) SetWindowTextW(title, text.c_str());
  if (proposedFocus != nullptr && GetDlgCtrlID(proposedFocus) == IDC_DOWNLOAD) return TRUE;
  SetFocus(GetDlgItem(dialog, IDC_DOWNLOAD));
  return FALSE;
}

BOOL OnCommand(HWND dialog, WORD id, WORD code) {
  switch (id) {
    case IDCANCEL:
      SendMessageW(dialog, WM_CLOSE, 0, 0);
      return TRUE;
    case IDC_DOWNLOAD:
      if (code != BN_CLICKED) return FALSE;
      OnDownloadClicked();
      return TRUE;
    case IDC_REFRESH_PORTS: {
      if (code != BN_CLICKED) return FALSE;
      HWND combo = GetDlgItem(dialog, IDC_PORT_LIST);
      SendMessageW(combo, CB_RESETCONTENT, 0, 0);
      FillPortList(combo);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

bool CreateMainDialog(HINSTANCE instance, int showCommand) {
  ShellState& shell = Shell();
  shell.instance = instance;
  shell.cursor = LoadCursorW(nullptr, IDC_ARROW);
  shell.dialog =
      CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN_DIALOG), nullptr, MainDialogProc, 0);
  if (shell.dialog == nullptr) return false;
  ShowWindow(shell.dialog, showCommand);
  wchar_t caption[100] = {};
  if (LoadStringW(instance, IDS_APP_TITLE, caption, 100) > 0) {
    SetWindowTextW(shell.dialog, caption);
  }
  return true;
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(window, reinterpret_cast<HWND>(wParam));
    case WM_COMMAND:
      return OnCommand(window, LOWORD(wParam), HIWORD(wParam));
    case WM_SETCURSOR:
      if (Shell().cursor == nullptr) return FALSE;
      SetCursor(Shell().cursor);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
    default:
      return FALSE;
  }
}

void GetFileVersion(std::uint32_t& ms, std::uint32_t& ls) {
  wchar_t path[260] = {};
  const DWORD length = GetModuleFileNameW(Shell().instance, path, 260);
  const FileVersion version =
      (length == 0 || length >= 260) ? FileVersion{} : FileVersionFromPath(path);
  ms = version.ms;
  ls = version.ls;
}

void FillPortList(HWND comboBox) {
  for (const DexalPortInfo& port : ListSerialPorts()) {
    SendMessageW(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port.portName.c_str()));
  }
  SendMessageW(comboBox, CB_SETCURSEL, 0, 0);
}

}  // namespace Dexal
