#include "platform/Desktop.h"

namespace Dexal {

// A command line here: its programs are given their files and answer on the terminal.
bool HasDesktopDialogs() { return false; }

std::vector<std::filesystem::path> FilesFromOpenDialog(const std::string& /*kindName*/,
                                                       const std::string& /*pattern*/) {
  return {};
}

void CloseOwnConsole() {}

void ShowMessageBox(const std::string& /*caption*/, const std::string& /*text*/, bool /*isError*/) {
}

bool AskYesNo(const std::string& /*caption*/, const std::string& /*text*/) { return false; }

bool OpenWithDefaultProgram(const std::filesystem::path& /*path*/) { return false; }

}  // namespace Dexal
