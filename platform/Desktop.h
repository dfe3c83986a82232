#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Dexal {

// Whether this system has the desktop's common dialogs and message boxes (Windows).
bool HasDesktopDialogs();

// The common open dialog for one kind of file, e.g. ("CSV", "*.csv"), where one or more files
// can be chosen at once; none when the user cancels it, or where there is no such dialog.
std::vector<std::filesystem::path> FilesFromOpenDialog(const std::string& kindName,
                                                       const std::string& pattern);

// The files chosen, from the text that the open dialog fills in when it takes several: one
// file's whole path, or the folder and then each file's name in it; each ending in a NUL, and
// one more NUL after the last.
std::vector<std::filesystem::path> PathsFromOpenDialogText(std::wstring_view text);

// Closes the console window that was opened for this program alone (started from a shortcut,
// not from a command line), so that only its dialogs show.
void CloseOwnConsole();

// A message box with the button OK; texts in UTF-8.
void ShowMessageBox(const std::string& caption, const std::string& text, bool isError);

// A message box with the buttons Yes and No: true for Yes. False where there is no such box.
bool AskYesNo(const std::string& caption, const std::string& text);

// Opens the file in the program the desktop keeps for its kind (a page: the default browser);
// false when none could be started.
bool OpenWithDefaultProgram(const std::filesystem::path& path);

}  // namespace Dexal
