#include "csv/DexalCsvText.h"

#include <algorithm>
#include <array>
#include <ctime>

#include "platform/WideText.h"

namespace Dexal {
namespace {

// The range the Windows C library converts (_localtime64_s): 1970 to the end of 3000. Other
// libraries go further; keeping the same range keeps the files alike on every platform.
constexpr CalendarTime kLastConvertibleTime = 32535215999;

std::string FormatLocal(CalendarTime time, const char* format) {
  if (time < 0 || time > kLastConvertibleTime) return {};
  std::tm fields{};
  if (!LocalFromCalendarTime(time, fields)) return {};
  std::array<char, 64> buffer{};
  const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &fields);
  return std::string(buffer.data(), length);
}

}  // namespace

std::string StringFromDateTime(CalendarTime time) { return FormatLocal(time, "%Y-%m-%dT%H:%M:%S"); }

std::string DateStringFromDateTime(CalendarTime time) { return FormatLocal(time, "%Y-%m-%d"); }

std::string Utf8FromWide(const std::wstring& text) { return Utf8FromWideText(text); }

void AppendTextCell(std::string& out, std::string_view text, char separator) {
  // One pass over the text (find_first_of would search the four characters for each of its
  // characters): the cells of a long table are mostly short and plain.
  const bool plain = std::none_of(text.begin(), text.end(), [separator](char c) {
    return c == separator || c == '"' || c == '\r' || c == '\n';
  });
  if (plain) {
    out.append(text);
  } else {
    AppendQuotedCell(out, text);
  }
}

void AppendQuotedCell(std::string& out, std::string_view text) {
  out.push_back('"');
  for (const char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

std::string TextModeLineEnds(std::string text) {
  if (text.find('\n') == std::string::npos) return text;
  std::string stored;
  for (const char c : text) {
    if (c == '\n') stored.push_back('\r');
    stored.push_back(c);
  }
  return stored;
}

std::string LineOfCells(std::span<const std::string_view> cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += kCsvSeparator;
    line += cells[i];
  }
  return line;
}

}  // namespace Dexal
