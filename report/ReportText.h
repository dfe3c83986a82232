#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Dexal {

// Text from the file made safe inside HTML or SVG, in element content and attribute values.
std::string HtmlEscaped(std::string_view text);
void AppendHtmlEscaped(std::string& out, std::string_view text);

// Text from the file in element content with its line breaks (LF) kept as <br>.
std::string HtmlEscapedLines(std::string_view text);
void AppendHtmlEscapedLines(std::string& out, std::string_view text);

// Text from the file as a quoted CSS string: nothing in it ends the string or the style sheet.
std::string CssString(std::string_view text);

// A name that every file system takes: letters, digits, '.', '-' and '_' kept, the rest '_'.
std::string SafeFileName(std::string_view text);
// A name with its ASCII capitals made small, to compare names as Windows does.
std::string AsciiLower(std::string text);

// Seconds since 1970 as "2026-03-05 10:00:00 UTC".
std::string UtcTextFromSeconds(std::int64_t seconds);

// A number in fixed notation with the given decimals, whatever the C locale.
std::string FixedText(double value, int decimals);
// The same appended to `out`.
void AppendFixedText(std::string& out, double value, int decimals);

// The shortest text that reads back as the same double.
std::string ShortestText(double value);

}  // namespace Dexal
