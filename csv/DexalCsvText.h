#pragma once

#include <string>
#include <string_view>

#include "platform/CalendarTime.h"

namespace Dexal {

// Local time as "%Y-%m-%dT%H:%M:%S"; empty when the time cannot be converted.
std::string StringFromDateTime(CalendarTime time);

// Local date as "%Y-%m-%d"; empty when the time cannot be converted.
std::string DateStringFromDateTime(CalendarTime time);

// UTF-8 form of a path, for messages; empty when the text is not valid.
std::string Utf8FromWide(const std::wstring& text);

// Appends a cell's text: quoted (inner quotes doubled) only when it holds a comma, a double
// quote, CR or LF, so every reader sees one cell.
void AppendTextCell(std::string& out, std::string_view text);

// Appends a cell's text between double quotes, inner quotes doubled.
void AppendQuotedCell(std::string& out, std::string_view text);

}  // namespace Dexal
