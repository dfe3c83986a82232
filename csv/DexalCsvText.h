#pragma once

#include <span>
#include <string>
#include <string_view>

#include "csv/DexalCsvLayout.h"
#include "platform/CalendarTime.h"

namespace Dexal {

// Local time as "%Y-%m-%dT%H:%M:%S"; empty when the time cannot be converted.
std::string StringFromDateTime(CalendarTime time);

// Local date as "%Y-%m-%d"; empty when the time cannot be converted.
std::string DateStringFromDateTime(CalendarTime time);

// UTF-8 form of a path, for messages; empty when the text is not valid.
std::string Utf8FromWide(const std::wstring& text);

// Appends a cell's text as RFC 4180 has it: quoted (inner quotes doubled) only when it holds the
// separator, a double quote, CR or LF, so every reader sees one cell.
void AppendTextCell(std::string& out, std::string_view text, char separator = kCsvSeparator);

// Appends a cell's text between double quotes, inner quotes doubled.
void AppendQuotedCell(std::string& out, std::string_view text);

// The text with every line feed stored as CR LF, as a text-mode stream on Windows stores it.
std::string TextModeLineEnds(std::string text);

// Header cells as one line of the file, without its line end: "Serial,Service Date".
std::string LineOfCells(std::span<const std::string_view> cells);

}  // namespace Dexal
