// Files written all or none: a rename that fails at any point of putting them in place leaves
// every file as it was and nothing new; when even putting a former file back fails, the message
// says where it is. (The failures of the programs' runs: tests/e2e/file_faults.py.)
#include "report/OutputFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/FileSystem.h"
#include "tests/support/Expect.h"
#include "tests/support/TestFiles.h"

namespace Dexal {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

Files FilesIn(const fs::path& dir) {
  Files files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    files[entry.path().filename().string()] = testing::ReadFileBytes(entry.path());
  }
  return files;
}

// Renamed in turn: a's temporary, b aside, b's temporary, c's temporary. `failing` is the one
// that fails (0: none); 6 stands for the third and every one after it, so that b cannot go back.
std::string WriteThree(const fs::path& dir, int failing) {
  int renames = 0;
  OutputFiles files([&](const fs::path& from, const fs::path& to, std::uint32_t& osError) {
    osError = 5;
    ++renames;
    return renames != failing && (failing != 6 || renames < 3) && MoveFileOnto(from, to, osError);
  });
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) files.Add(dir / name, name);
  return testing::MessageOf<std::runtime_error>([&] { files.WriteAll(); });
}

TEST(OutputFiles, ARenameThatFailsUndoesTheOthers) {
  const testing::TempDir dir;
  testing::WriteFileBytes(dir / "b.txt", "b before");
  for (const int failing : {1, 2, 3, 4, 6}) {
    SCOPED_TRACE(failing);
    const std::string message = WriteThree(dir.Path(), failing);
    const char* failed = failing == 1 ? "a.txt" : failing == 4 ? "c.txt" : "b.txt";
    EXPECT_EQ(message.find((dir / failed).string() + ": cannot be written ("), 0u) << message;
    const std::size_t aside = message.find(" is now ");
    EXPECT_EQ(aside != std::string::npos, failing == 6);
    const std::string b = aside == std::string::npos
                              ? "b.txt"
                              : fs::path(message.substr(aside + 8)).filename().string();
    EXPECT_EQ(FilesIn(dir.Path()), (Files{{b, "b before"}}));
    if (b != "b.txt") fs::rename(dir / b, dir / "b.txt");
  }
  EXPECT_EQ(WriteThree(dir.Path(), 0), "(nothing thrown)");
  EXPECT_EQ(FilesIn(dir.Path()),
            (Files{{"a.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}}));
}

// A file made while it is written that fails on the way (no memory) leaves nothing either.
TEST(OutputFiles, AFileThatFailsWhileMadeLeavesNothing) {
  const testing::TempDir dir;
  OutputFiles files;
  files.Add(dir / "a.txt", "a");
  int pieces = 0;
  files.Add(dir / "b.txt", [&](std::string& out) {
    if (++pieces > 1) throw std::bad_alloc();
    out += "b";
    return true;
  });
  EXPECT_THROW(files.WriteAll(), std::bad_alloc);
  EXPECT_EQ(FilesIn(dir.Path()), Files{});
}

}  // namespace
}  // namespace Dexal
