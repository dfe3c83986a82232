// UTF-8 and wide text made from each other, and 8-bit text read as UTF-8 or else Windows-1252,
// over platform/wide-text.txt: natively wchar_t holds UTF-32, under Wine UTF-16.
#include "platform/WideText.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

TEST(WideText, EachWayAsTheTableSays) {
  const std::size_t column = sizeof(wchar_t) == 2 ? 2 : 3;  // UTF-16 or UTF-32 code units
  testing::ForEachRow("platform/wide-text.txt", 4, [&](const std::vector<std::string>& cells) {
    const std::string& way = cells[0];
    if (cells[column] == "-") return;
    std::wstring wide;
    std::istringstream units(cells[column]);
    for (std::string unit; units >> unit;) {
      wide += static_cast<wchar_t>(std::stoul(unit, nullptr, 16));
    }
    const ByteVector bytes = testing::BytesFromHex(way == "to-utf8" ? "" : cells[1]);
    const std::string utf8(bytes.begin(), bytes.end());
    if (way != "to-utf8") {
      EXPECT_EQ(WideTextFromUtf8(utf8), wide);
      EXPECT_EQ(Utf8FromUtf8OrWindows1252(utf8), Utf8FromWideText(wide));
    }
    if (way != "to-wide") {
      EXPECT_EQ(Utf8FromWideText(wide), utf8);
    }
  });
}

}  // namespace
}  // namespace Dexal
