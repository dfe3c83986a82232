#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "shell/DialogText.h"

namespace Dexal {
namespace {

TEST(DialogTextTest, TitleLineFromFileVersion) {
  struct Case {
    std::uint32_t ms;
    std::uint32_t ls;
    const wchar_t* line;
  };
  const Case cases[] = {
      {0x00010000, 0x00000001, L"Dexal CSV downloader v1.0.0.1 beta"},
      {0x00020003, 0x00000000, L"Dexal CSV downloader v2.3"},
      {0x00010000, 0x00000000, L"Dexal CSV downloader v1.0"},
      {0x00010002, 0x00000007, L"Dexal CSV downloader v1.2.0.7 beta"},
      {0x00000000, 0x00000000, L"Dexal CSV downloader v0.0"},  // no version block
      {0x000A0014, 0x001E0000, L"Dexal CSV downloader v10.20.30.0 beta"},
      {0xFFFFFFFF, 0xFFFFFFFF, L"Dexal CSV downloader v65535.65535.65535.65535 beta"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TitleLineFromFileVersion(c.ms, c.ls), c.line) << std::hex << c.ms << " " << c.ls;
  }
}

TEST(DialogTextTest, StaticTextHasTheNoticeLineAfterALineFeed) {
  EXPECT_EQ(StaticTextFromFileVersion(0x00010000, 1),
            L"Dexal CSV downloader v1.0.0.1 beta\nPut the tester in Download mode.");
  EXPECT_EQ(StaticTextFromFileVersion(0, 0),
            L"Dexal CSV downloader v0.0\nPut the tester in Download mode.");
}

TEST(DialogTextTest, CentredPosition) {
  struct Case {
    long left, top, right, bottom, width, height, x, y;
  };
  const Case cases[] = {
      {0, 0, 1280, 1024, 300, 280, 490, 372},
      {0, 0, 1281, 1025, 300, 280, 490, 372},     // odd remainders truncate
      {100, 50, 900, 650, 200, 100, 400, 300},    // an owner away from the origin
      {-1920, 0, 0, 1080, 320, 240, -1120, 420},  // a monitor left of the primary
      {0, 0, 100, 100, 103, 105, -1, -2},         // larger than its owner: towards zero
      {0, 0, 100, 100, 100, 100, 0, 0},
  };
  for (const Case& c : cases) {
    const WindowPosition p = CentredPosition(c.left, c.top, c.right, c.bottom, c.width, c.height);
    EXPECT_EQ(p.x, c.x) << c.left << "," << c.top << "," << c.right << "," << c.bottom;
    EXPECT_EQ(p.y, c.y) << c.left << "," << c.top << "," << c.right << "," << c.bottom;
  }
}

TEST(DialogTextTest, ProgressTextCountsFromOne) {
  EXPECT_EQ(ProgressTextFromIndex(0, 3), L"Downloading result 1 of 3");
  EXPECT_EQ(ProgressTextFromIndex(99, 100), L"Downloading result 100 of 100");
  EXPECT_EQ(ProgressTextFromIndex(0xFFFFFFFEU, 0xFFFFFFFFU),
            L"Downloading result 4294967295 of 4294967295");
  // After the last result the download reports index == count: no line for it.
  EXPECT_EQ(ProgressTextFromIndex(3, 3), L"");
  EXPECT_EQ(ProgressTextFromIndex(0, 0), L"");
}

}  // namespace
}  // namespace Dexal
