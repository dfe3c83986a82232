#include "platform/WideText.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace Dexal {
namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendWide(std::wstring& out, std::uint32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

std::uint32_t CodeUnit(wchar_t unit) { return static_cast<std::make_unsigned_t<wchar_t>>(unit); }

// Windows-1252 for the bytes 0x80 to 0x9F; the five bytes it leaves undefined stand for no
// character and read as U+FFFD. The bytes from 0xA0 on are Latin-1, the code point itself.
constexpr std::array<std::uint16_t, 32> kWindows1252From80 = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

struct Character {
  std::uint32_t codePoint = 0;
  std::size_t bytes = 1;
  bool utf8 = true;  // false: one byte read as Windows-1252
};

// The character that begins at text[i]: a whole UTF-8 character in its shortest form, or else
// the byte alone as Windows-1252. Overlong forms are not taken, so that no '/' or NUL hides in
// a longer one (C0 AF is "À¯", not "/").
Character CharacterAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {static_cast<std::uint32_t>(lead), 1, true};
  std::size_t extra = 0;
  std::uint32_t cp = 0;
  std::uint32_t least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    cp = lead & 0x1Fu;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0Fu;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    cp = lead & 0x07u;
    least = 0x10000;
  }
  bool whole = extra > 0 && i + extra < text.size();
  for (std::size_t k = 1; whole && k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    whole = (next & 0xC0) == 0x80;
    cp = (cp << 6) | (next & 0x3Fu);
  }
  if (whole && cp >= least && cp <= 0x10FFFF && (cp < 0xD800 || cp >= 0xE000)) {
    return {cp, extra + 1, true};
  }
  const std::uint32_t windows1252 = lead < 0xA0 ? kWindows1252From80[lead - 0x80] : lead;
  return {windows1252, 1, false};
}

}  // namespace

std::string Utf8FromWideText(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = CodeUnit(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp < 0xDC00) {
        if (i + 1 >= text.size()) return {};
        const std::uint32_t low = CodeUnit(text[i + 1]);
        if (low < 0xDC00 || low >= 0xE000) return {};
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      } else if (cp >= 0xDC00 && cp < 0xE000) {
        return {};
      }
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return {};
    AppendUtf8(out, cp);
  }
  return out;
}

std::wstring WideTextFromUtf8(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Character c = CharacterAt(text, i);
    AppendWide(out, c.codePoint);
    i += c.bytes;
  }
  return out;
}

std::string Utf8FromUtf8OrWindows1252(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const Character c = CharacterAt(text, i);
    if (!c.utf8) break;
    i += c.bytes;
  }
  if (i == text.size()) return std::string(text);
  std::string out(text.substr(0, i));
  while (i < text.size()) {
    const Character c = CharacterAt(text, i);
    AppendUtf8(out, c.codePoint);
    i += c.bytes;
  }
  return out;
}

constexpr bool kWidePaths = std::is_same_v<std::filesystem::path::value_type, wchar_t>;

std::filesystem::path PathFromWide(const std::wstring& text) {
  if constexpr (kWidePaths) return std::filesystem::path(text);
  return std::filesystem::path(Utf8FromWideText(text));
}

std::filesystem::path PathFromUtf8(const std::string& text) {
  if constexpr (kWidePaths) return std::filesystem::path(WideTextFromUtf8(text));
  return std::filesystem::path(text);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace Dexal
