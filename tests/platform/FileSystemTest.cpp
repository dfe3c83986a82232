// Which paths name one file (platform/same-file.txt) and how a failed write says why, natively
// and under Wine.
#include "platform/FileSystem.h"

#include "platform/OsError.h"
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
  testing::ForEachRow("platform/same-file.txt", 4, [&](const std::vector<std::string>& cells) {
    if (cells[column] == "-") return;
    EXPECT_EQ(SameFile(dir / cells[0], dir / cells[1]) ? "yes" : "no", cells[column]);
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
