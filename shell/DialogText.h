#pragma once

#include <cstdint>
#include <string>

namespace Dexal {

// The first line of the dialog's static text for a fixed file version (ms, ls words):
// "Dexal CSV downloader v1.0.0.1 beta", or "... v2.3" when the least significant word is 0.
std::wstring TitleLineFromFileVersion(std::uint32_t ms, std::uint32_t ls);

// The whole static text: the title line, a line feed and the notice line.
std::wstring StaticTextFromFileVersion(std::uint32_t ms, std::uint32_t ls);

struct WindowPosition {
  long x = 0;
  long y = 0;
};

// Where a window of the given size goes to sit centred on the owner's rectangle.
WindowPosition CentredPosition(long ownerLeft, long ownerTop, long ownerRight, long ownerBottom,
                               long width, long height);

// "Downloading result k of N" for 0-based result `index`; empty once index reaches count.
std::wstring ProgressTextFromIndex(std::uint32_t index, std::uint32_t count);

}  // namespace Dexal
