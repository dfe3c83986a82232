#include "csv/DexalCsvText.h"

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

// A line feed inside a text becomes CR LF, as it would through a text-mode stream.
void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '"') {
      out += "\"\"";
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out.push_back(c);
    }
  }
}

}  // namespace

std::string StringFromDateTime(CalendarTime time) { return FormatLocal(time, "%Y-%m-%dT%H:%M:%S"); }

std::string DateStringFromDateTime(CalendarTime time) { return FormatLocal(time, "%Y-%m-%d"); }

std::string Utf8FromWide(const std::wstring& text) { return Utf8FromWideText(text); }

void AppendTextCell(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
  } else {
    AppendQuotedCell(out, text);
  }
}

void AppendQuotedCell(std::string& out, std::string_view text) {
  out.push_back('"');
  AppendEscaped(out, text);
  out.push_back('"');
}

}  // namespace Dexal
