// The program's entry: COM for the save dialog, the modeless main dialog and its message loop.
#include <objbase.h>
#include <windows.h>

#include "shell/MainDialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (!Dexal::CreateMainDialog(instance, showCommand)) return 0;
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) return -1;
    if (!IsDialogMessageW(Dexal::Shell().dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  CoUninitialize();
  return static_cast<int>(message.wParam);
}
