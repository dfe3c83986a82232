#pragma once

#include <windows.h>

#include <cstdint>

namespace Dexal {

// What the entry, the dialog procedure and the handlers share.
struct ShellState {
  HINSTANCE instance = nullptr;
  HWND dialog = nullptr;
  HCURSOR cursor = nullptr;
};

ShellState& Shell();

bool CreateMainDialog(HINSTANCE instance, int showCommand);
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The program file's fixed file version (ms, ls); both 0 when it cannot be read.
void GetFileVersion(std::uint32_t& ms, std::uint32_t& ls);
void FillPortList(HWND comboBox);
void OnDownloadClicked();

}  // namespace Dexal
