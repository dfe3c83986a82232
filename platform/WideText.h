#pragma once

#include <string>

namespace Dexal {

// Wide text (UTF-16 on Windows, UTF-32 elsewhere) to UTF-8; empty when the text is invalid.
std::string Utf8FromWideText(const std::wstring& text);

// UTF-8 to wide text; invalid sequences become U+FFFD.
std::wstring WideTextFromUtf8(const std::string& text);

}  // namespace Dexal
