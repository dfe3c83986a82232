#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace Dexal {

// Wide text (UTF-16 on Windows, UTF-32 elsewhere) to UTF-8; empty when the text is invalid.
std::string Utf8FromWideText(const std::wstring& text);

// UTF-8 to wide text. A byte that begins no whole UTF-8 character in its shortest form is read
// as Windows-1252, which is what an 8-bit text (the tester's, an old file's) most likely is.
std::wstring WideTextFromUtf8(const std::string& text);

// The same reading as UTF-8: valid UTF-8 as it is, every other byte as Windows-1252.
std::string Utf8FromUtf8OrWindows1252(std::string_view text);

// A path as the system opens it, from wide or UTF-8 text: Windows paths are wide, POSIX paths
// are the UTF-8 bytes.
std::filesystem::path PathFromWide(const std::wstring& text);
std::filesystem::path PathFromUtf8(const std::string& text);

// A path's text as UTF-8, for messages and names written into files.
std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace Dexal
