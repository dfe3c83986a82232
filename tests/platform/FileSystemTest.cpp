// Which paths name one file (platform/same-file.txt), natively and under Wine.
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/CaseTable.h"
#include "tests/support/TestFiles.h"

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

}  // namespace
}  // namespace Dexal
