#include "report/ReportText.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace Dexal {

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  for (std::size_t from = 0;;) {
    const std::size_t special = text.find_first_of("&<>\"'", from);
    out.append(text.substr(from, special - from));
    if (special == std::string_view::npos) return;
    switch (text[special]) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += "&#39;";
    }
    from = special + 1;
  }
}

std::string HtmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(out, text);
  return out;
}

void AppendHtmlEscapedLines(std::string& out, std::string_view text) {
  for (std::size_t from = 0;;) {
    const std::size_t end = text.find('\n', from);
    AppendHtmlEscaped(out, text.substr(from, end - from));
    if (end == std::string_view::npos) return;
    out += "<br>\n";
    from = end + 1;
  }
}

std::string HtmlEscapedLines(std::string_view text) {
  std::string out;
  AppendHtmlEscapedLines(out, text);
  return out;
}

std::string CssString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '"' || c == '\\' || c == '<' || c == '>') {
      // A hexadecimal escape ends at its blank.
      std::array<char, 8> hex{};
      std::snprintf(hex.data(), hex.size(), "\\%x ", static_cast<unsigned>(byte));
      out += hex.data();
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string SafeFileName(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-' || c == '_';
    out += kept ? c : '_';
  }
  // Windows refuses names that end in a dot.
  while (!out.empty() && out.back() == '.') out.back() = '_';
  return out;
}

std::string UtcTextFromSeconds(std::int64_t seconds) {
  // Days to a civil date (proleptic Gregorian), so no C library time zone plays a part.
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text.data();
}

void AppendFixedText(std::string& out, double value, int decimals) {
  std::array<char, 64> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                    std::chars_format::fixed, decimals);
  std::string_view number(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
  // A negative that rounds to zero is shown as zero.
  if (number.front() == '-' && number.find_first_not_of("-0.") == std::string_view::npos) {
    number.remove_prefix(1);
  }
  out.append(number);
}

std::string FixedText(double value, int decimals) {
  std::string out;
  AppendFixedText(out, value, decimals);
  return out;
}

std::string ShortestText(double value) {
  std::array<char, 64> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace Dexal
