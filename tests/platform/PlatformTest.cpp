// The platform layer, natively and under Wine: UTF-8 and wide text made from each other, and
// 8-bit text read as UTF-8 or else Windows-1252, over platform/wide-text.txt (natively wchar_t
// holds UTF-32, under Wine UTF-16); which paths name one file (platform/same-file.txt), the files
// the open dialog chose (platform/open-dialog.txt), how a failed write says why and a file only
// the user may read; natively,
// Ctrl-C, SIGTERM, SIGHUP: the first is noted, a second ends the process at once with status 130;
// one that the program was started with ignored (a background job's) stays ignored.
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Interruption.h"
#include "platform/OsError.h"
#include "platform/WideText.h"
#include "tests/support/Testing.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#endif

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

namespace fs = std::filesystem;

TEST(FileSystem, SameFileAsTheTableSays) {
  const testing::TempDir dir;
  testing::WriteFileBytes(dir / "a.txt", "a");
  fs::create_directory(dir / "sub");
  fs::create_hard_link(dir / "a.txt", dir / "h.txt");
#ifdef _WIN32
  const std::size_t column = 3;
#else
  const std::size_t column = 2;
  fs::create_symlink("a.txt", dir / "l.txt");
#endif
  testing::ForEachRow("platform/same-file.txt", 4, [&](const std::vector<std::string>& cells) {
    if (cells[column] == "-") return;
    EXPECT_EQ(SameFile(dir / cells[0], dir / cells[1]) ? "yes" : "no", cells[column]);
  });
}

// The reason goes inside "X: cannot be written (reason)": the system's text on one line.
TEST(FileSystem, FilesThatTheOpenDialogChose) {
  testing::ExpectEachRow("platform/open-dialog.txt", 2, [](const auto& cells) {
    std::string files;
    for (const fs::path& path : PathsFromOpenDialogText(WideTextFromUtf8(cells[0]))) {
      files += (files.empty() ? "" : ";") + Utf8FromPath(path.generic_wstring());
    }
    return files;
  });
}

// The file a report puts its results aside in: new, empty, the user's alone.
TEST(FileSystem, APrivateFileIsNewAndTheUsersAlone) {
  const testing::TempDir dir;
  std::uint32_t osError = 0;
  ASSERT_TRUE(MakePrivateFile(dir / "aside.tmp", osError));
  EXPECT_EQ(testing::ReadFileBytes(dir / "aside.tmp"), "");
  EXPECT_FALSE(MakePrivateFile(dir / "aside.tmp", osError));
#ifndef _WIN32
  struct stat made {};
  ASSERT_EQ(::stat((dir / "aside.tmp").c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0600u);
#endif
}

TEST(FileSystem, AWriteThatFailsGivesTheSystemsReasonOnOneLine) {
  const testing::TempDir dir;
  std::uint32_t osError = 0;
  ASSERT_FALSE(WriteNewFile(dir / "missing" / "a.txt", "a", osError));
  const std::string reason = OsErrorReason(osError);
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
  EXPECT_NE(reason.back(), ' ') << reason;
}

#ifndef _WIN32
TEST(InterruptionDeathTest, FirstIsNotedSecondEndsAtOnce) {
  EXPECT_EXIT(
      {
        signal(SIGHUP, SIG_IGN);
        CatchInterruptions();
        raise(SIGHUP);
        std::fputs(Interrupted() ? "ignored SIGHUP noted\n" : "", stderr);
        raise(SIGTERM);
        std::fputs(Interrupted() ? "noted\n" : "not noted\n", stderr);
        raise(SIGINT);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(kExitInterrupted), "^noted\n$");
}
#endif

}  // namespace
}  // namespace Dexal
