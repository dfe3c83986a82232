#pragma once

#include <filesystem>
#include <string>

namespace Dexal {

// Wide text (UTF-16 on Windows, UTF-32 elsewhere) to UTF-8; empty when the text is invalid.
std::string Utf8FromWideText(const std::wstring& text);

// UTF-8 to wide text; invalid sequences become U+FFFD.
std::wstring WideTextFromUtf8(const std::string& text);

// A path as the system opens it, from wide or UTF-8 text: Windows paths are wide, POSIX paths
// are the UTF-8 bytes.
std::filesystem::path PathFromWide(const std::wstring& text);
std::filesystem::path PathFromUtf8(const std::string& text);

// A path's text as UTF-8, for messages and names written into files.
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace Dexal
