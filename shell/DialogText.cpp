#include "shell/DialogText.h"

namespace Dexal {

namespace {

std::wstring Word(std::uint32_t value) { return std::to_wstring(value & 0xFFFFU); }

}  // namespace

std::wstring TitleLineFromFileVersion(std::uint32_t ms, std::uint32_t ls) {
  std::wstring line = L"Dexal CSV downloader v" + Word(ms >> 16) + L"." + Word(ms);
  if (ls != 0) line += L"." + Word(ls >> 16) + L"." + Word(ls) + L" beta";
  return line;
}

std::wstring StaticTextFromFileVersion(std::uint32_t ms, std::uint32_t ls) {
  return TitleLineFromFileVersion(ms, ls) + L"\nPut the tester in Download mode.";
}

WindowPosition CentredPosition(long ownerLeft, long ownerTop, long ownerRight, long ownerBottom,
                               long width, long height) {
  // Integer division truncates towards zero, also for a dialog larger than its owner.
  WindowPosition position;
  position.x = ownerLeft + ((ownerRight - ownerLeft) - width) / 2;
  position.y = ownerTop + ((ownerBottom - ownerTop) - height) / 2;
  return position;
}

std::wstring ProgressTextFromIndex(std::uint32_t index, std::uint32_t count) {
  if (index >= count) return {};  // the download's own "all fetched" report
  return L"Downloading result " + std::to_wstring(static_cast<std::uint64_t>(index) + 1) + L" of " +
         std::to_wstring(count);
}

}  // namespace Dexal
