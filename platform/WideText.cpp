#include "platform/WideText.h"

#include <cstdint>
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
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07u;
    } else {
      AppendWide(out, 0xFFFD);
      ++i;
      continue;
    }
    bool valid = i + extra < text.size();
    for (std::size_t k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
      } else {
        cp = (cp << 6) | (next & 0x3Fu);
      }
    }
    if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
      AppendWide(out, 0xFFFD);
      ++i;
      continue;
    }
    AppendWide(out, cp);
    i += extra + 1;
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
