// Which paths name one file (platform/same-file.txt), the files the open dialog chose
// (platform/open-dialog.txt) and how a failed write says why, natively and under Wine.
#include "platform/FileSystem.h"

#include "platform/Desktop.h"
#include "platform/OsError.h"
#include "platform/WideText.h"
#include "tests/support/Testing.h"

namespace Dexal {
namespace {

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
  for (const testing::CaseRow& row : testing::ReadCaseTable("platform/same-file.txt", 4)) {
    SCOPED_TRACE(row.where);
    if (row.cells[column] == "-") continue;
    EXPECT_EQ(SameFile(dir / row.cells[0], dir / row.cells[1]) ? "yes" : "no", row.cells[column]);
  }
}

TEST(FileSystem, FilesThatTheOpenDialogChose) {
  testing::ExpectEachRow("platform/open-dialog.txt", 2, [](const auto& cells) {
    std::string files;
    for (const fs::path& path : PathsFromOpenDialogText(WideTextFromUtf8(cells[0]))) {
      files += (files.empty() ? "" : ";") + Utf8FromPath(path.generic_wstring());
    }
    return files;
  });
}

// The reason goes inside "X: cannot be written (reason)": the system's text on one line.
TEST(FileSystem, AWriteThatFailsGivesTheSystemsReasonOnOneLine) {
  const testing::TempDir dir;
  std::uint32_t osError = 0;
  ASSERT_FALSE(WriteNewFile(dir / "missing" / "a.txt", "a", osError));
  const std::string reason = OsErrorReason(osError);
  ASSERT_FALSE(reason.empty());
  EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
  EXPECT_NE(reason.back(), ' ') << reason;
}

}  // namespace
}  // namespace Dexal
